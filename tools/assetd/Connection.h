#pragma once
// One client connection of velmora-assetd: reads a request up to its empty
// line, has a worker run the responder on it, writes the answer back, and
// keeps the connection open while the responder's keep-alive flag says so.
// Every member runs on the I/O thread, except the responder call itself.

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "AsioConfig.h"

class CGenericServer;
class COutBuf;
class Connection;

struct TransportLimits {
  size_t maxRequestBytes = 64 * 1024;            // headers past this get 431
  int maxConnections = 256;
  std::chrono::milliseconds idleTimeout{30000};  // waiting on the client
  // A whole request, from its first byte: a client that trickles bytes
  // restarts the idle timer each time, but cannot hold its place longer.
  std::chrono::milliseconds requestTimeout{10000};
  std::chrono::milliseconds closeLinger{2000};   // reading out a closing client
};

// What every connection of one daemon shares.
struct ServingContext {
  asio::io_context& io;
  asio::thread_pool& workers;
  CGenericServer& responder;
  TransportLimits limits;
  bool verbose = false;
  std::function<void(Connection*)> onClosed;  // called once, on the I/O thread
  // Requests the I/O thread may answer itself because they cannot block
  // (a small cached asset); the others go to the workers. May be empty.
  std::function<bool(const std::string& request)> answersAtOnce;
};

class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(asio::ip::tcp::socket socket, ServingContext& context);
  void Start();
  // The lane this connection's handlers run on.
  asio::any_io_executor Executor() { return m_socket.get_executor(); }
  // The daemon is stopping: a connection waiting for a request closes now,
  // one with a request under way closes after its answer.
  void Stop();

 private:
  enum class State { kReading, kProcessing, kWriting, kClosing, kClosed };

  void ReadRequest();
  void OnRead(const asio::error_code& error, size_t count);
  bool TakeRequest(std::string* request);
  void Process(std::string request);
  void OnProcessed(std::shared_ptr<COutBuf> response, int32_t keepAlive, bool answered,
                   const std::string& requestLine);
  void Send(std::shared_ptr<COutBuf> response, bool keepOpen);
  void SendAndClose(const std::string& status, const std::string& requestLine);
  void Summarize(const std::string& requestLine, const std::string& status, int32_t bytes);
  void WriteMore();
  void CloseGracefully();
  void Drain();
  void CloseNow();
  // Closes the connection `after` from now unless armed again first.
  void ArmDeadline(std::chrono::milliseconds after);
  void StartTimer();
  // No deadline while the responder works; the timer may stay pending.
  void SuspendDeadline();
  void CancelDeadline();

  asio::ip::tcp::socket m_socket;
  asio::steady_timer m_deadline;
  unsigned m_deadlineGeneration = 0;
  std::chrono::steady_clock::time_point m_deadlineAt = std::chrono::steady_clock::time_point::max();
  bool m_timerWaiting = false;  // an async_wait on m_deadline is pending
  ServingContext& m_context;
  std::string m_peer;
  State m_state = State::kReading;
  bool m_stopping = false;
  std::string m_received;  // bytes not yet taken as a request
  std::chrono::steady_clock::time_point m_requestStart;  // first byte of the request in m_received
  size_t m_scanFrom = 0;   // where the search for the empty line resumes
  std::array<char, 16384> m_readArea;
  std::shared_ptr<COutBuf> m_response;
  size_t m_sent = 0;
  bool m_keepOpen = false;
};
