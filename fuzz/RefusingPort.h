#pragma once
// A port on 127.0.0.1 that refuses connections for as long as the fuzzer
// runs: bound but never listened on, so no other program can take it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

inline int RefusingPort() {
  int holder = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);  // the socket stays open on purpose
}
