// A CDN that misbehaves, against the platform's real HTTP client (WinINet
// on Windows and under Wine, libcurl here): it stalls, trickles, sends more
// than it announced, or sends the responder elsewhere. Each download ends,
// by its deadline or at once, as the incomplete or failed download the
// failure table describes, and nothing is cached.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

#include "HTTPServer.h"
#include "LoopbackHttpServer.h"
#include "OutBuf.h"
#include "TestSupport.h"

namespace {

class CdnMisbehaviourTest : public ::testing::Test {
 protected:
  // A responder with the given no-progress window and whole-download limit
  // (short in tests; 30 s and 10 minutes by default).
  std::unique_ptr<CHTTPServer> Responder(uint32_t receiveMs = 30000, uint32_t downloadMs = 600000) {
    CdnClientOptions options;
    options.receiveTimeoutMs = receiveMs;
    options.downloadTimeoutMs = downloadMs;
    return std::make_unique<CHTTPServer>(m_cdn.BaseUrl() + "/pnox_cdn/", m_cache.Prefix(),
                                         CreatePlatformCdnClient(options));
  }
  static ParsedResponse Get(CHTTPServer& server, const std::string& path) {
    COutBuf out;
    int32_t keepAlive = 0;
    EXPECT_TRUE(server.ProcessRequest("GET " + path + " HTTP/1.0\r\n\r\n", &out, &keepAlive));
    return ParseResponse(std::string(out.GetData(), static_cast<size_t>(out.GetLength())));
  }
  static std::string ContentType(const ParsedResponse& answer) {
    return answer.headerLines.size() == 6 ? answer.headerLines[5] : "(no header)";
  }

  LoopbackHttpServer m_cdn;
  TempDir m_cache;
};

// Silent before its headers, or in the middle of its body: given up after
// the no-progress window. Left alone, the CDN would send the rest after 4 s
// and the download would be complete.
TEST_F(CdnMisbehaviourTest, AStalledCdnIsGivenUpAfterTheNoProgressWindow) {
  std::string body(64 * 1024, 'b');
  std::string whole = HttpResponse("200 OK", body);
  m_cdn.Serve("/pnox_cdn//silent.png", [whole](const std::string&) {
    ScriptedResponse answer;
    answer.then = [whole](ScriptedConnection& client) {
      if (!client.ClosedWithin(4000)) client.Send(whole);
    };
    return answer;
  });
  m_cdn.Serve("/pnox_cdn//stalls.png", [whole](const std::string&) {
    ScriptedResponse answer{whole.substr(0, whole.size() / 2)};
    answer.then = [whole](ScriptedConnection& client) {
      if (!client.ClosedWithin(4000)) client.Send(whole.substr(whole.size() / 2));
    };
    return answer;
  });
  auto server = Responder(1000);
  for (const char* path : {"/silent.png", "/stalls.png"}) {
    ParsedResponse answer = Get(*server, path);
    EXPECT_EQ(answer.statusLine, "HTTP/1.0 200 OK") << path;
    EXPECT_EQ(ContentType(answer), "Content-Type: text/html") << path;
    EXPECT_LT(answer.body.size(), body.size()) << path;
  }
  EXPECT_EQ(m_cache.FileCount(), 0u);
}

// A byte every 200 ms never leaves the window silent, but the whole
// download has its limit. Left alone, the CDN would finish after 6 s.
TEST_F(CdnMisbehaviourTest, ATricklingCdnIsCutAtTheDownloadLimit) {
  constexpr int kBytes = 30;
  m_cdn.Serve("/pnox_cdn//trickle.png", [](const std::string&) {
    ScriptedResponse answer{"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kBytes) +
                            "\r\nConnection: close\r\n\r\n"};
    answer.then = [](ScriptedConnection& client) {
      for (int i = 0; i < kBytes; ++i) {
        if (!client.Send("t") || client.ClosedWithin(200)) return;
      }
    };
    return answer;
  });
  auto server = Responder(1000, 1500);
  ParsedResponse answer = Get(*server, "/trickle.png");
  EXPECT_EQ(answer.statusLine, "HTTP/1.0 200 OK");
  EXPECT_EQ(ContentType(answer), "Content-Type: text/html");
  EXPECT_LT(answer.body.size(), static_cast<size_t>(kBytes));
  EXPECT_EQ(answer.body, std::string(answer.body.size(), 't'));
  EXPECT_EQ(m_cache.FileCount(), 0u);
}

// A CDN that would send 64 MiB behind a Content-Length of 1000: nothing
// past the 1001st byte is read, and the responder hangs up long before the
// CDN is through. libcurl hands over every byte that comes, so the answer
// is those 1001 bytes, an incomplete download. WinINet itself ends a body at
// its announced length once the bytes past it are still on the wire: then
// the answer is the announced body.
TEST_F(CdnMisbehaviourTest, ReadingStopsOneBytePastTheAnnouncedLength) {
  constexpr size_t kOffered = 64u << 20;
  auto sent = std::make_shared<std::atomic<size_t>>(0);
  auto finished = std::make_shared<std::promise<void>>();
  std::future<void> cdnFinished = finished->get_future();
  m_cdn.Serve("/pnox_cdn//endless.res", [sent, finished](const std::string&) {
    ScriptedResponse answer{"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: close\r\n\r\n"};
    answer.then = [sent, finished](ScriptedConnection& client) {
      const std::string piece(64 * 1024, 'e');
      while (*sent < kOffered && client.Send(piece)) *sent += piece.size();
      finished->set_value();
    };
    return answer;
  });
  auto server = Responder();
  ParsedResponse answer = Get(*server, "/endless.res");
  EXPECT_EQ(answer.statusLine, "HTTP/1.0 200 OK");
  EXPECT_EQ(answer.body, std::string(answer.body.size(), 'e'));
#ifdef _WIN32
  if (answer.body.size() == 1000u) {
    EXPECT_EQ(ContentType(answer), "Content-Type: text/plain; charset=utf-8");
    EXPECT_EQ(m_cache.FileCount(), 1u);
  } else {
    EXPECT_EQ(answer.body.size(), 1001u);
    EXPECT_EQ(ContentType(answer), "Content-Type: text/html");
    EXPECT_EQ(m_cache.FileCount(), 0u);
  }
#else
  EXPECT_EQ(answer.body.size(), 1001u);
  EXPECT_EQ(ContentType(answer), "Content-Type: text/html");
  EXPECT_EQ(m_cache.FileCount(), 0u);
#endif
  ASSERT_EQ(cdnFinished.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_LT(sent->load(), kOffered) << "the responder read the CDN's answer to its end";
}

// A redirect is a failed download (code 1: no body, the status text our
// own), wherever it points: another host, this machine, the CDN itself.
// The place it names is never asked.
TEST_F(CdnMisbehaviourTest, RedirectsAreFailedDownloadsAndNeverFollowed) {
  LoopbackHttpServer elsewhere;
  elsewhere.Serve("/secret", HttpResponse("200 OK", "from elsewhere"));
  const std::string away = "Location: " + elsewhere.BaseUrl() + "/secret\r\n";
  const std::vector<std::pair<std::string, std::string>> redirects = {
      {"/found.png", HttpResponse("302 Found", "", away)},
      {"/moved.png", HttpResponse("301 Moved Permanently", "<a>moved</a>", away)},
      {"/see.png", HttpResponse("303 See Other", "", away)},
      {"/temporary.png", HttpResponse("307 Temporary Redirect", "", "Location: /pnox_cdn//here.png\r\n")},
      {"/permanent.png", HttpResponse("308 Permanent Redirect", "", "Location: " + m_cdn.BaseUrl() + "/here.png\r\n")},
  };
  for (const auto& redirect : redirects) m_cdn.Serve("/pnox_cdn/" + redirect.first, redirect.second);
  m_cdn.Serve("/pnox_cdn//here.png", HttpResponse("200 OK", "from the CDN elsewhere"));
  m_cdn.Serve("/here.png", HttpResponse("200 OK", "from the CDN elsewhere"));

  auto server = Responder();
  for (const auto& redirect : redirects) {
    ParsedResponse answer = Get(*server, redirect.first);
    EXPECT_EQ(answer.statusLine, "HTTP/1.0 200 OK") << redirect.first;
    EXPECT_EQ(ContentType(answer), "Content-Type: text/html") << redirect.first;
    EXPECT_EQ(answer.body, "") << redirect.first;
  }
  EXPECT_EQ(elsewhere.RequestCount(), 0u);
  std::vector<std::string> asked = m_cdn.RequestPaths();
  ASSERT_EQ(asked.size(), redirects.size());
  for (size_t i = 0; i < redirects.size(); ++i) EXPECT_EQ(asked[i], "/pnox_cdn/" + redirects[i].first);
  EXPECT_EQ(m_cache.FileCount(), 0u);
}

}  // namespace
