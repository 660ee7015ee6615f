#pragma once
// Small helpers shared by the asset responder's tests.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    m_path = std::filesystem::temp_directory_path() /
             ("velmora-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(m_path);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(m_path, ignored);
  }
  // The folder with a trailing separator, as the cache prefix wants it.
  std::string Prefix() const { return (m_path / "").string(); }
  std::string File(const std::string& name) const { return (m_path / name).string(); }
  const std::filesystem::path& Path() const { return m_path; }
  size_t FileCount() const {
    size_t count = 0;
    for (auto& entry : std::filesystem::directory_iterator(m_path)) count += entry.is_regular_file() ? 1 : 0;
    return count;
  }

 private:
  std::filesystem::path m_path;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A response split into its status line, header lines and body.
struct ParsedResponse {
  std::string statusLine;
  std::vector<std::string> headerLines;  // without CR LF, in order
  std::string body;
  bool wellFormed = false;
};

inline ParsedResponse ParseResponse(const std::string& raw) {
  ParsedResponse parsed;
  size_t end = raw.find("\r\n\r\n");
  if (end == std::string::npos) return parsed;
  std::string head = raw.substr(0, end);
  parsed.body = raw.substr(end + 4);
  size_t start = 0;
  bool first = true;
  while (start <= head.size()) {
    size_t next = head.find("\r\n", start);
    if (next == std::string::npos) next = head.size();
    std::string line = head.substr(start, next - start);
    if (first) {
      parsed.statusLine = line;
      first = false;
    } else {
      parsed.headerLines.push_back(line);
    }
    start = next + 2;
  }
  parsed.wellFormed = true;
  return parsed;
}

#include <gtest/gtest.h>
#include <regex>

// Asserts a whole responder answer: status line, every header in order
// (the Date by its form), and the body.
inline void ExpectResponse(const std::string& raw, const std::string& status, const std::string& connection,
                           const std::string& contentType, const std::string& body) {
  ParsedResponse parsed = ParseResponse(raw);
  ASSERT_TRUE(parsed.wellFormed) << raw;
  EXPECT_EQ(parsed.statusLine, "HTTP/1.0 " + status);
  ASSERT_EQ(parsed.headerLines.size(), 6u) << raw;
  static const std::regex kDate(
      "Date: (Sun|Mon|Tue|Wed|Thu|Fri|Sat), [0-3][0-9] (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
      "[0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-6][0-9] GMT");
  EXPECT_TRUE(std::regex_match(parsed.headerLines[0], kDate)) << parsed.headerLines[0];
  EXPECT_EQ(parsed.headerLines[1], "Server: QuillonWebServer/0.1b");
  EXPECT_EQ(parsed.headerLines[2], "Accept-Ranges: bytes");
  EXPECT_EQ(parsed.headerLines[3], "Content-Length: " + std::to_string(body.size()));
  EXPECT_EQ(parsed.headerLines[4], "Connection: " + connection);
  EXPECT_EQ(parsed.headerLines[5], "Content-Type: " + contentType);
  EXPECT_EQ(parsed.body, body);
}
