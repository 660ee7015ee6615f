#include "browser/site_url.h"

#include <cstdint>
#include <vector>

namespace {

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f'); }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string text) {
  for (char& c : text) c = Lower(c);
  return text;
}

int DefaultPort(const std::string& scheme) {
  if (scheme == "http" || scheme == "ws") return 80;
  if (scheme == "https" || scheme == "wss") return 443;
  return -1;
}

// One part of an IPv4 address in the forms browsers accept: decimal, octal
// with a leading 0, hexadecimal with 0x.
bool ParseIpv4Part(const std::string& part, uint64_t* value) {
  if (part.empty()) return false;
  unsigned base = 10;
  size_t i = 0;
  if (part.size() >= 2 && part[0] == '0' && part[1] == 'x') {
    base = 16;
    i = 2;
  } else if (part.size() >= 2 && part[0] == '0') {
    base = 8;
    i = 1;
  }
  uint64_t v = 0;
  for (; i < part.size(); ++i) {
    char c = part[i];
    unsigned digit;
    if (IsDigit(c)) {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && IsHexDigit(c)) {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else {
      return false;
    }
    if (digit >= base) return false;
    v = v * base + digit;
    if (v > 0xFFFFFFFFull) return false;
  }
  *value = v;
  return true;
}

bool EndsInANumber(const std::vector<std::string>& labels) {
  const std::string& last = labels.back();
  if (last.empty()) return false;
  if (last.size() >= 2 && last[0] == '0' && last[1] == 'x') {
    for (size_t i = 2; i < last.size(); ++i)
      if (!IsHexDigit(last[i])) return false;
    return true;
  }
  for (char c : last)
    if (!IsDigit(c)) return false;
  return true;
}

// A lower-case host: a name, an IPv4 address in any of its written forms
// (rewritten as four decimal numbers), or an IPv6 address in brackets.
bool NormaliseHost(std::string* host) {
  std::string& h = *host;
  if (h.empty()) return false;
  if (h.front() == '[') {
    if (h.size() < 4 || h.back() != ']') return false;
    bool colon = false;
    for (size_t i = 1; i + 1 < h.size(); ++i) {
      char c = h[i];
      if (c == ':') colon = true;
      if (!IsHexDigit(c) && c != ':' && c != '.') return false;
    }
    return colon;
  }
  for (char c : h) {
    if (!IsDigit(c) && !(c >= 'a' && c <= 'z') && c != '-' && c != '_' && c != '.') return false;
  }
  std::vector<std::string> labels(1);
  for (char c : h) {
    if (c == '.') {
      labels.emplace_back();
    } else {
      labels.back() += c;
    }
  }
  if (labels.size() > 1 && labels.back().empty()) labels.pop_back();
  if (!EndsInANumber(labels)) return true;  // a name

  if (labels.size() > 4) return false;
  uint64_t address = 0;
  for (size_t i = 0; i < labels.size(); ++i) {
    uint64_t part;
    if (!ParseIpv4Part(labels[i], &part)) return false;
    if (i + 1 < labels.size()) {
      if (part > 255) return false;
      address = (address << 8) | part;
    } else {
      unsigned rest = static_cast<unsigned>(5 - labels.size());  // bytes the last part fills
      if (part >= (1ull << (8 * rest))) return false;
      address = (address << (8 * rest)) | part;
    }
  }
  h = std::to_string((address >> 24) & 255) + "." + std::to_string((address >> 16) & 255) + "." +
      std::to_string((address >> 8) & 255) + "." + std::to_string(address & 255);
  return true;
}

// "host", "host:port" or "[v6]:port" into a normalised host and a port
// (-1 when none is written; an empty port counts as none).
bool SplitHostAndPort(const std::string& text, std::string* host, int* port) {
  std::string h, p;
  bool hasPort = false;
  if (!text.empty() && text.front() == '[') {
    size_t close = text.find(']');
    if (close == std::string::npos) return false;
    h = text.substr(0, close + 1);
    std::string rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return false;
      hasPort = true;
      p = rest.substr(1);
    }
  } else {
    size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
      h = text;
    } else {
      h = text.substr(0, colon);
      hasPort = true;
      p = text.substr(colon + 1);
    }
  }
  *port = -1;
  if (hasPort && !p.empty()) {
    long value = 0;
    for (char c : p) {
      if (!IsDigit(c)) return false;
      value = value * 10 + (c - '0');
      if (value > 65535) return false;
    }
    *port = static_cast<int>(value);
  }
  h = LowerAscii(h);
  if (!NormaliseHost(&h)) return false;
  *host = h;
  return true;
}

}  // namespace

std::string SiteUrl::Origin() const {
  if (!web) return std::string();
  std::string base = (scheme == "https" || scheme == "wss") ? "https" : "http";
  return base + "://" + host + ":" + std::to_string(port);
}

SiteUrl ParseSiteUrl(const std::string& url) {
  SiteUrl out;
  // Browsers hand over canonical URLs: no spaces, controls or raw non-ASCII.
  for (char c : url) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u >= 0x7f) return out;
  }
  size_t colon = url.find(':');
  if (colon == std::string::npos || colon == 0 || !IsAsciiAlpha(url[0])) return out;
  for (size_t i = 1; i < colon; ++i) {
    char c = url[i];
    if (!IsAsciiAlpha(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.') return out;
  }
  out.scheme = LowerAscii(url.substr(0, colon));
  out.web = DefaultPort(out.scheme) > 0;
  if (!out.web) {
    out.valid = true;
    return out;
  }

  // As browsers do for these schemes: any run of slashes and backslashes
  // leads to the authority, which ends at the next one or at ? or #.
  size_t start = colon + 1;
  while (start < url.size() && (url[start] == '/' || url[start] == '\\')) ++start;
  size_t end = url.find_first_of("/\\?#", start);
  std::string authority = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
  size_t at = authority.rfind('@');
  if (at != std::string::npos) {
    out.hasUserInfo = true;
    authority = authority.substr(at + 1);
  }
  int port;
  if (!SplitHostAndPort(authority, &out.host, &port)) {
    out.host.clear();
    return out;
  }
  out.port = port < 0 ? DefaultPort(out.scheme) : port;
  out.valid = true;
  return out;
}

bool ParseHostAndPort(const std::string& text, std::string* host, int* port) {
  if (text.empty() || text.find_first_of("/\\?#@") != std::string::npos) return false;
  return SplitHostAndPort(text, host, port);
}
