// The parts of a URL that decide whose site it is: scheme, user info, host
// and port, read as Chromium's URL canonicaliser reads them, so that text
// which merely looks like an operator's address (an operator host in the
// user info or the path, a backslash, a number written as an IPv4 address)
// parses to the host a browser would really contact.
#ifndef VELMORA_BROWSER_SITE_URL_H_
#define VELMORA_BROWSER_SITE_URL_H_

#include <string>

struct SiteUrl {
  // False for text that is no URL, and for hosts this parser will not guess
  // at (escapes, characters outside letters, digits, '-', '_' and '.').
  bool valid = false;
  std::string scheme;  // lower case, without the ':'
  // http, https, ws and wss: the schemes that reach a host over the network.
  bool web = false;
  bool hasUserInfo = false;
  // Lower case; an IPv4 address as four decimal numbers; IPv6 in brackets.
  // Empty unless |web|.
  std::string host;
  int port = -1;  // the explicit port, or the scheme's default

  // "http://host:port" for http and ws, "https://host:port" for https and
  // wss; empty unless |web|.
  std::string Origin() const;
};

SiteUrl ParseSiteUrl(const std::string& url);

// A host name or "host:port" as written in the operator file, normalised
// like a URL's host. Port -1 when none is given. False when it is no host.
bool ParseHostAndPort(const std::string& text, std::string* host, int* port);

#endif  // VELMORA_BROWSER_SITE_URL_H_
