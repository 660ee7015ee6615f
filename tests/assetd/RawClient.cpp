#include "RawClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

RawClient::RawClient(int port, int receiveTimeoutMs) {
  m_socket = socket(AF_INET, SOCK_STREAM, 0);
  if (m_socket < 0) return;
  timeval timeout{receiveTimeoutMs / 1000, (receiveTimeoutMs % 1000) * 1000};
  setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  setsockopt(m_socket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) Close();
}

RawClient::~RawClient() { Close(); }

void RawClient::Close() {
  if (m_socket >= 0) close(m_socket);
  m_socket = -1;
}

bool RawClient::Send(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t sent = send(m_socket, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    done += static_cast<size_t>(sent);
  }
  return true;
}

std::string RawClient::ReadResponse() {
  char buffer[65536];
  for (;;) {
    size_t headerEnd = m_pending.find("\r\n\r\n");
    if (headerEnd != std::string::npos) {
      size_t lengthAt = m_pending.find("\r\nContent-Length: ");
      if (lengthAt != std::string::npos && lengthAt < headerEnd) {
        size_t total = headerEnd + 4 + std::strtoul(m_pending.c_str() + lengthAt + 18, nullptr, 10);
        if (m_pending.size() >= total) {
          std::string response = m_pending.substr(0, total);
          m_pending.erase(0, total);
          return response;
        }
      }
    }
    ssize_t got = recv(m_socket, buffer, sizeof buffer, 0);
    if (got <= 0) return std::string();
    m_pending.append(buffer, static_cast<size_t>(got));
  }
}

std::string RawClient::ReadToEnd(bool* closed) {
  char buffer[65536];
  std::string all;
  all.swap(m_pending);
  for (;;) {
    ssize_t got = recv(m_socket, buffer, sizeof buffer, 0);
    if (got <= 0) {
      if (closed != nullptr) *closed = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
      return all;
    }
    all.append(buffer, static_cast<size_t>(got));
  }
}

bool RawClient::Readable(int ms) {
  if (!m_pending.empty()) return true;
  pollfd entry{m_socket, POLLIN, 0};
  return poll(&entry, 1, ms) > 0;
}

std::string FetchRaw(int port, const std::string& request) {
  RawClient client(port);
  if (!client.Send(request)) return std::string();
  return client.ReadToEnd();
}
