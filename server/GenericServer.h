#pragma once
// CGenericServer: what a transport needs of a request handler. The
// transport feeds complete request texts and sends the answers back.

#include <cstdint>
#include <string>

class COutBuf;

class CGenericServer {
 public:
  virtual ~CGenericServer() = default;

  // Reserved for a transport's own use.
  virtual uint32_t TransportHookA(uint32_t first, uint32_t second) = 0;
  virtual uint32_t TransportHookB(uint32_t value) = 0;

  // Whether the received text is a whole request yet.
  virtual bool IsRequestComplete(std::string received) = 0;
  // Builds the whole response to `request` in `out`. `keepAlive` is the
  // caller's flag: set to 1 when the request asks for keep-alive, never
  // cleared here.
  virtual bool ProcessRequest(std::string request, COutBuf* out, int32_t* keepAlive) = 0;
};
