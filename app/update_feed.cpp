#include "app/update_feed.h"

#include <cstdio>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Decimal digits only (no sign, no spaces), at most |max|.
bool ParseDecimal(const std::string& text, uint64_t max, uint64_t* value) {
  if (text.empty() || text.size() > 20) return false;
  uint64_t result = 0;
  for (char c : text) {
    if (!IsDigit(c)) return false;
    uint64_t digit = static_cast<uint64_t>(c - '0');
    if (result > (max - digit) / 10) return false;
    result = result * 10 + digit;
  }
  *value = result;
  return true;
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  size_t i = 0;
  for (; prefix[i] != '\0'; ++i) {
    if (i >= text.size() || LowerAscii(text[i]) != prefix[i]) return false;
  }
  return true;
}

}  // namespace

bool ParseUpdateVersion(const std::string& text, UpdateVersion* version) {
  UpdateVersion parsed;
  size_t count = 0;
  size_t start = 0;
  while (true) {
    size_t dot = text.find('.', start);
    std::string piece = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    uint64_t number = 0;
    if (count == 4 || piece.size() > 5 || !ParseDecimal(piece, 65535, &number)) return false;
    parsed.part[count++] = static_cast<uint16_t>(number);
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  if (count < 3) return false;
  *version = parsed;
  return true;
}

int CompareUpdateVersions(const UpdateVersion& a, const UpdateVersion& b) {
  for (int i = 0; i < 4; ++i) {
    if (a.part[i] != b.part[i]) return a.part[i] < b.part[i] ? -1 : 1;
  }
  return 0;
}

std::string UpdateVersionText(const UpdateVersion& version) {
  char text[32];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", version.part[0], version.part[1], version.part[2],
                version.part[3]);
  return text;
}

bool IsAllowedUpdateUrl(const std::string& url) {
  for (char c : url) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u >= 0x7F || c == '\\') return false;
  }
  bool secure = StartsWithNoCase(url, "https://");
  if (!secure && !StartsWithNoCase(url, "http://")) return false;
  std::string rest = url.substr(secure ? 8 : 7);
  std::string authority = rest.substr(0, rest.find_first_of("/?#"));
  // A user name would let the text before "@" pass for the host.
  if (authority.find('@') != std::string::npos) return false;
  std::string host = authority;
  size_t colon = authority.rfind(':');
  size_t bracket = authority.rfind(']');  // an IPv6 address holds colons of its own
  if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
    uint64_t port = 0;
    if (!ParseDecimal(authority.substr(colon + 1), 65535, &port) || port == 0) return false;
    host = authority.substr(0, colon);
  }
  if (host.empty()) return false;
  if (secure) return true;
  std::string lower;
  for (char c : host) lower += LowerAscii(c);
  return lower == "127.0.0.1" || lower == "localhost";
}

FeedParse ParseUpdateFeed(const std::string& text, UpdateFeed* feed) {
  if (text.size() > kMaxUpdateFeedBytes || text.find('\0') != std::string::npos) return FeedParse::kGarbage;
  UpdateFeed parsed;
  bool seenVersion = false, seenUrl = false, seenSize = false, seenHash = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    size_t equals = line.find('=');
    if (equals == std::string::npos || equals == 0) return FeedParse::kGarbage;
    std::string key = Trim(line.substr(0, equals));
    std::string value = Trim(line.substr(equals + 1));
    for (char c : key) {
      if (!(c >= 'a' && c <= 'z') && !IsDigit(c) && c != '_') return FeedParse::kGarbage;
    }
    if (key == "version") {
      if (seenVersion || !ParseUpdateVersion(value, &parsed.version)) return FeedParse::kGarbage;
      seenVersion = true;
    } else if (key == "url") {
      if (seenUrl || value.empty()) return FeedParse::kGarbage;
      parsed.url = value;
      seenUrl = true;
    } else if (key == "size") {
      if (seenSize || !ParseDecimal(value, kMaxUpdateInstallerBytes, &parsed.size) || parsed.size == 0) {
        return FeedParse::kGarbage;
      }
      seenSize = true;
    } else if (key == "sha256") {
      if (seenHash || value.size() != 64) return FeedParse::kGarbage;
      for (char c : value) {
        if (!IsHexDigit(c)) return FeedParse::kGarbage;
        parsed.sha256 += LowerAscii(c);
      }
      seenHash = true;
    }
  }
  if (!seenVersion || !seenUrl || !seenSize || !seenHash) return FeedParse::kGarbage;
  if (!IsAllowedUpdateUrl(parsed.url)) return FeedParse::kAddressRefused;
  *feed = parsed;
  return FeedParse::kOk;
}

uint32_t UpdateDownloadDeadlineSeconds(uint64_t size) {
  return static_cast<uint32_t>(120 + size / (32 * 1024));
}
