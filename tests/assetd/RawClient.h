#pragma once
// A plain TCP client on 127.0.0.1 for what ordinary HTTP clients will not
// send: oversized or unfinished requests, pipelining, idle connections.
// Every wait is bounded by a receive time-out.

#include <string>

class RawClient {
 public:
  explicit RawClient(int port, int receiveTimeoutMs = 10000);
  ~RawClient();
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool Connected() const { return m_socket >= 0; }
  // False once the peer has closed or reset the connection.
  bool Send(const std::string& bytes);
  // One whole response with a Content-Length; empty when the connection
  // ended (or the time-out passed) first.
  std::string ReadResponse();
  // Everything until the peer closes; `closed` says whether it did (rather
  // than the time-out passing).
  std::string ReadToEnd(bool* closed = nullptr);
  // Whether any byte (or the end) arrives within `ms`.
  bool Readable(int ms);
  void Close();

 private:
  int m_socket = -1;
  std::string m_pending;  // received bytes not yet handed out
};

// One request on a fresh connection, read to the end.
std::string FetchRaw(int port, const std::string& request);
