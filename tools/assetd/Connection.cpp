#include "Connection.h"

#include <algorithm>
#include <cstdio>

#include "GenericServer.h"
#include "OutBuf.h"

namespace {

const char kEmptyLine[] = "\r\n\r\n";
constexpr std::chrono::steady_clock::time_point kNoDeadline = std::chrono::steady_clock::time_point::max();

// The first line of a text, printable and bounded, for the --verbose
// summary: the bytes come from clients and from the CDN.
std::string RequestLineOf(const std::string& request) {
  constexpr size_t kShown = 200;
  std::string line;
  for (size_t i = 0; i < request.size() && request[i] != '\r' && request[i] != '\n'; ++i) {
    if (line.size() >= kShown) {
      line += "...";
      break;
    }
    unsigned char c = static_cast<unsigned char>(request[i]);
    if (c < 0x20 || c >= 0x7f || c == '"' || c == '\\') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      line += escaped;
    } else {
      line += static_cast<char>(c);
    }
  }
  return line;
}

// "200 OK" out of "HTTP/1.0 200 OK\r\n...".
std::string StatusOf(const COutBuf& response) {
  std::string head(response.GetData() ? response.GetData() : "",
                   static_cast<size_t>(std::min<int32_t>(response.GetLength(), 256)));
  size_t start = head.find(' ');
  size_t end = head.find("\r\n");
  if (start == std::string::npos || end == std::string::npos || end < start) return "?";
  return RequestLineOf(head.substr(start + 1, end - start - 1));
}

}  // namespace

Connection::Connection(asio::ip::tcp::socket socket, ServingContext& context)
    : m_socket(std::move(socket)), m_deadline(context.io), m_context(context) {
  asio::error_code ignored;
  asio::ip::tcp::endpoint peer = m_socket.remote_endpoint(ignored);
  m_peer = peer.address().to_string() + ":" + std::to_string(peer.port());
}

void Connection::Start() { ReadRequest(); }

void Connection::Stop() {
  m_stopping = true;
  if (m_state == State::kReading || m_state == State::kClosing) CloseNow();
}

void Connection::ReadRequest() {
  if (m_stopping) {
    CloseNow();
    return;
  }
  std::string request;
  bool complete = TakeRequest(&request);
  // The limit holds whether or not the empty line came with the excess.
  if ((complete ? request.size() : m_received.size()) > m_context.limits.maxRequestBytes) {
    SendAndClose("431 Request Header Fields Too Large", RequestLineOf(complete ? request : m_received));
    return;
  }
  if (complete) {
    Process(std::move(request));
    return;
  }
  m_state = State::kReading;
  std::chrono::milliseconds wait = m_context.limits.idleTimeout;
  if (!m_received.empty()) {
    auto left = m_context.limits.requestTimeout - std::chrono::duration_cast<std::chrono::milliseconds>(
                                                      std::chrono::steady_clock::now() - m_requestStart);
    if (left.count() <= 0) {
      CloseNow();  // the request did not arrive whole in time
      return;
    }
    wait = std::min(wait, left);
  }
  ArmDeadline(wait);
  auto self = shared_from_this();
  m_socket.async_read_some(asio::buffer(m_readArea),
                           [self](const asio::error_code& error, size_t count) { self->OnRead(error, count); });
}

void Connection::OnRead(const asio::error_code& error, size_t count) {
  if (m_state == State::kClosed) return;
  if (error) {
    CloseNow();  // the client left, or the deadline closed the socket
    return;
  }
  if (m_received.empty()) m_requestStart = std::chrono::steady_clock::now();
  m_received.append(m_readArea.data(), count);
  ReadRequest();
}

// A request ends at its first empty line, as long as the responder agrees
// that it is complete. Bytes behind it (a pipelined request) wait their turn.
bool Connection::TakeRequest(std::string* request) {
  for (;;) {
    size_t end = m_received.find(kEmptyLine, m_scanFrom);
    if (end == std::string::npos) {
      m_scanFrom = m_received.size() >= 3 ? m_received.size() - 3 : 0;
      return false;
    }
    std::string candidate = m_received.substr(0, end + 4);
    m_scanFrom = end + 1;
    if (m_context.responder.IsRequestComplete(candidate)) {
      *request = std::move(candidate);
      m_received.erase(0, end + 4);
      m_scanFrom = 0;
      m_requestStart = std::chrono::steady_clock::now();  // a pipelined one's time starts at its turn
      return true;
    }
  }
}

void Connection::Process(std::string request) {
  m_state = State::kProcessing;
  SuspendDeadline();  // a download takes as long as the CDN needs
  // A small cache hit costs less than the trip to a worker and back.
  bool atOnce = m_context.answersAtOnce && m_context.answersAtOnce(request);
  auto self = shared_from_this();
  auto answer = [self, request = std::move(request)]() mutable {
    std::string requestLine = self->m_context.verbose ? RequestLineOf(request) : std::string();
    auto response = std::make_shared<COutBuf>();
    int32_t keepAlive = 0;  // fresh for every request
    bool answered = self->m_context.responder.ProcessRequest(std::move(request), response.get(), &keepAlive);
    return [self, response, keepAlive, answered, requestLine] {
      self->OnProcessed(response, keepAlive, answered, requestLine);
    };
  };
  if (atOnce) {
    answer()();
    return;
  }
  asio::io_context& io = m_context.io;
  asio::post(m_context.workers, [&io, answer = std::move(answer)]() mutable { asio::post(io, answer()); });
}

void Connection::OnProcessed(std::shared_ptr<COutBuf> response, int32_t keepAlive, bool answered,
                             const std::string& requestLine) {
  if (m_state == State::kClosed) return;
  if (!answered) {
    SendAndClose("400 Bad Request", requestLine);
    return;
  }
  if (m_context.verbose) Summarize(requestLine, StatusOf(*response), response->GetLength());
  Send(std::move(response), keepAlive != 0);
}

// The transport's own answers, for requests the responder never sees.
void Connection::SendAndClose(const std::string& status, const std::string& requestLine) {
  Summarize(requestLine, status, 0);
  auto response = std::make_shared<COutBuf>();
  response->PutString(("HTTP/1.0 " + status +
                       "\r\nServer: QuillonWebServer/0.1b\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
                          .c_str());
  m_received.clear();
  Send(std::move(response), false);
}

void Connection::Summarize(const std::string& requestLine, const std::string& status, int32_t bytes) {
  if (!m_context.verbose) return;
  std::printf("%s \"%s\" %s %d\n", m_peer.c_str(), requestLine.c_str(), status.c_str(), bytes);
  std::fflush(stdout);
}

void Connection::Send(std::shared_ptr<COutBuf> response, bool keepOpen) {
  m_state = State::kWriting;
  m_response = std::move(response);
  m_sent = 0;
  m_keepOpen = keepOpen;
  WriteMore();
}

void Connection::WriteMore() {
  size_t total = static_cast<size_t>(m_response->GetLength());
  if (m_sent == total) {
    m_response.reset();
    if (m_keepOpen && !m_stopping) {
      ReadRequest();
    } else {
      CloseGracefully();
    }
    return;
  }
  ArmDeadline(m_context.limits.idleTimeout);  // a client that stops reading
  auto self = shared_from_this();
  m_socket.async_write_some(asio::buffer(m_response->GetData() + m_sent, total - m_sent),
                            [self](const asio::error_code& error, size_t count) {
                              if (self->m_state == State::kClosed) return;
                              if (error) {
                                self->CloseNow();
                                return;
                              }
                              self->m_sent += count;
                              self->WriteMore();
                            });
}

// Ends our side and reads out what the client still sends, so that closing
// with unread bytes does not reset the connection under the answer.
void Connection::CloseGracefully() {
  m_state = State::kClosing;
  asio::error_code ignored;
  m_socket.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
  ArmDeadline(m_context.limits.closeLinger);
  Drain();
}

void Connection::Drain() {
  auto self = shared_from_this();
  m_socket.async_read_some(asio::buffer(m_readArea), [self](const asio::error_code& error, size_t) {
    if (self->m_state == State::kClosed) return;
    if (error) {
      self->CloseNow();
    } else {
      self->Drain();
    }
  });
}

void Connection::CloseNow() {
  if (m_state == State::kClosed) return;
  auto self = shared_from_this();  // the daemon may drop its reference below
  m_state = State::kClosed;
  CancelDeadline();
  asio::error_code ignored;
  m_socket.close(ignored);
  m_response.reset();
  if (m_context.onClosed) m_context.onClosed(this);
}

// Moving the deadline later only records it: the timer already waiting
// fires first and waits on for the rest. So a busy keep-alive connection
// touches its timer about once per idle time-out, not twice per request.
void Connection::ArmDeadline(std::chrono::milliseconds after) {
  m_deadlineAt = std::chrono::steady_clock::now() + after;
  if (m_timerWaiting && m_deadline.expiry() <= m_deadlineAt) return;
  StartTimer();
}

void Connection::StartTimer() {
  unsigned generation = ++m_deadlineGeneration;
  m_timerWaiting = true;
  m_deadline.expires_at(m_deadlineAt);  // a wait already pending ends as replaced
  auto self = shared_from_this();
  m_deadline.async_wait([self, generation](const asio::error_code& error) {
    if (generation != self->m_deadlineGeneration) return;
    self->m_timerWaiting = false;
    if (error || self->m_state == State::kClosed || self->m_deadlineAt == kNoDeadline) return;
    if (std::chrono::steady_clock::now() < self->m_deadlineAt) {
      self->StartTimer();
      return;
    }
    self->CloseNow();
  });
}

void Connection::SuspendDeadline() { m_deadlineAt = kNoDeadline; }

void Connection::CancelDeadline() {
  ++m_deadlineGeneration;
  m_timerWaiting = false;
  m_deadlineAt = kNoDeadline;
  m_deadline.cancel();
}
