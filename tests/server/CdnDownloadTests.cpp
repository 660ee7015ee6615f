// The CDN download and the cache, against a real HTTP server on 127.0.0.1
// and the platform's real HTTP client (WinINet on Windows, libcurl here).
#include <gtest/gtest.h>

#include <filesystem>

#include "HTTPServer.h"
#include "LoopbackHttpServer.h"
#include "Md5.h"
#include "OutBuf.h"
#include "TestSupport.h"

namespace {

std::string Chunked(const std::string& body) {
  char size[16];
  std::snprintf(size, sizeof size, "%zx", body.size());
  return std::string(size) + "\r\n" + body + "\r\n0\r\n\r\n";
}

struct CdnCase {
  const char* name;
  std::string path;
  std::string cdnAnswer;  // raw bytes the CDN sends
  std::string status;
  std::string contentType;
  std::string body;
  bool cached;
};

std::vector<CdnCase> Cases() {
  std::string page = "<html>missing</html>";
  std::string longReason(200, 'R');
  return {
      {"LengthGiven", "/img/ok.png", HttpResponse("200 OK", "PNGDATA"), "200 OK", "image/png", "PNGDATA", true},
      {"ChunkedWithoutLength", "/js/app.js",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n" + Chunked("var a;"), "200 OK",
       "text/html", "", false},
      {"CutShort", "/snd/cut.mp3",
       "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nConnection: close\r\n\r\n" + std::string(40, 'c'), "200 OK",
       "text/html", std::string(40, 'c'), false},
      // Reading stops one byte past the announced length.
      {"LongerThanAnnounced", "/data/long.res",
       "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n" +
           Chunked("0123456789"),
       "200 OK", "text/html", "012345", false},
      {"LongerThanAnnouncedPlain", "/data/plain.res",
       "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\n0123456789", "200 OK", "text/html",
       "012345", false},
      {"NotFoundWithReasonAndBody", "/img/missing.png", HttpResponse("404 Not Found", page), "404 Not Found",
       "text/html", page, false},
      {"NotFoundWithoutLength", "/img/nolength.png", HttpResponse("404 Not Found", page, "", false), "200 OK",
       "text/html", "", false},
      {"ReasonTooLong", "/img/reason.png", HttpResponse("500 " + longReason, page), "200 OK", "text/html", page,
       false},
      // A control byte in the reason is unreadable too: it could start a
      // header line of the CDN's choosing in our answer.
      {"ReasonWithBareCr", "/img/cr.png", HttpResponse("404 Not\rX-Injected: 1", page), "200 OK", "text/html", page,
       false},
      {"ReasonWithTab", "/img/tab.png", HttpResponse("404 Not\tFound", page), "200 OK", "text/html", page, false},
      {"ReasonWithControlA", "/img/soh.png", HttpResponse("404 Not\x01Found", page), "200 OK", "text/html", page,
       false},
      {"ReasonWithDel", "/img/del.png", HttpResponse("404 Not\x7f", page), "200 OK", "text/html", page, false},
#ifndef _WIN32
      // WinINet's reason text ends at a NUL, so only the host client can
      // see the bytes behind one; libcurl refuses such a status line whole.
      {"ReasonWithNul", "/img/nul.png", HttpResponse(std::string("404 Not\0X-Injected: 1", 21), page), "200 OK",
       "text/html", "", false},
#endif
  };
}

class CdnCaseTest : public ::testing::TestWithParam<CdnCase> {};

TEST_P(CdnCaseTest, AnswersAndCachesAsTheFailureTableSays) {
  const CdnCase& c = GetParam();
  LoopbackHttpServer cdn;
  cdn.Serve("/pnox_cdn/" + c.path, c.cdnAnswer);
  TempDir cache;
  CHTTPServer server(cdn.BaseUrl() + "/pnox_cdn/", cache.Prefix());

  COutBuf out;
  int32_t keepAlive = 0;
  ASSERT_TRUE(server.ProcessRequest("GET " + c.path + " HTTP/1.1\r\nHost: x\r\n\r\n", &out, &keepAlive));
  ExpectResponse(std::string(out.GetData(), static_cast<size_t>(out.GetLength())), c.status, "close",
                 c.contentType, c.body);

  std::string cacheFile = cache.File(Md5Hex(c.path));
  EXPECT_EQ(std::filesystem::exists(cacheFile), c.cached);
  if (c.cached) {
    EXPECT_EQ(ReadFile(cacheFile), c.body);
  }
  EXPECT_EQ(cache.FileCount(), c.cached ? 1u : 0u) << "no temporary file may be left behind";
  ASSERT_EQ(cdn.RequestPaths().size(), 1u);
  EXPECT_EQ(cdn.RequestPaths()[0], "/pnox_cdn/" + c.path);
}

INSTANTIATE_TEST_SUITE_P(Cdn, CdnCaseTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<CdnCase>& info) { return std::string(info.param.name); });

TEST(CdnDownload, ARefusedConnectionIsAnEmptyHtmlAnswer) {
  TempDir cache;
  CHTTPServer server("http://127.0.0.1:" + std::to_string(LoopbackHttpServer::UnusedPort()) + "/pnox_cdn/",
                     cache.Prefix());
  COutBuf out;
  int32_t keepAlive = 0;
  ASSERT_TRUE(server.ProcessRequest("GET /img/a.png HTTP/1.0\r\n\r\n", &out, &keepAlive));
  ExpectResponse(std::string(out.GetData(), static_cast<size_t>(out.GetLength())), "200 OK", "close", "text/html",
                 "");
  EXPECT_EQ(cache.FileCount(), 0u);
}

class CdnStoreTest : public ::testing::Test {
 protected:
  CdnStoreTest() : m_server(m_cdn.BaseUrl() + "/pnox_cdn/", m_cache.Prefix()) {}

  ParsedResponse Get(const std::string& requestText) {
    COutBuf out;
    int32_t keepAlive = 0;
    EXPECT_TRUE(m_server.ProcessRequest(requestText, &out, &keepAlive));
    return ParseResponse(std::string(out.GetData(), static_cast<size_t>(out.GetLength())));
  }

  LoopbackHttpServer m_cdn;
  TempDir m_cache;
  CHTTPServer m_server;
};

TEST_F(CdnStoreTest, TheRequestCarriesTheFixedHeadersAndAFreshAgent) {
  m_cdn.Serve("/pnox_cdn//a.png", HttpResponse("200 OK", "A"));
  Get("GET /a.png HTTP/1.0\r\nUser-Agent: browser\r\n\r\n");
  ASSERT_EQ(m_cdn.RequestCount(), 1u);
  std::string sent = m_cdn.RequestTexts()[0];
  EXPECT_EQ(sent.rfind("GET /pnox_cdn//a.png HTTP/1.1\r\n", 0), 0u) << sent;
  EXPECT_NE(sent.find("\r\nAccept: */*\r\n"), std::string::npos) << sent;
  EXPECT_NE(sent.find("\r\nPragma: no-cache\r\n"), std::string::npos) << sent;
  EXPECT_TRUE(std::regex_search(sent, std::regex("\r\nUser-Agent: Agent-?[0-9]+\r\n"))) << sent;
}

TEST_F(CdnStoreTest, TheSecondRequestIsAnsweredFromTheCache) {
  m_cdn.Serve("/pnox_cdn//once.xml", HttpResponse("200 OK", "<a/>"));
  EXPECT_EQ(Get("GET /once.xml HTTP/1.0\r\n\r\n").body, "<a/>");
  m_cdn.Serve("/pnox_cdn//once.xml", HttpResponse("200 OK", "changed"));
  ParsedResponse second = Get("GET /once.xml HTTP/1.0\r\n\r\n");
  EXPECT_EQ(second.body, "<a/>");
  EXPECT_EQ(second.headerLines[5], "Content-Type: text/xml; charset=UTF-8");
  EXPECT_EQ(m_cdn.RequestCount(), 1u);
}

TEST_F(CdnStoreTest, CaseAndQueryMakeDifferentEntries) {
  for (const char* path : {"/Case.png", "/case.png", "/q.png?v=1", "/q.png?v=2"}) {
    m_cdn.Serve(std::string("/pnox_cdn/") + path, HttpResponse("200 OK", path));
  }
  for (const char* path : {"/Case.png", "/case.png", "/q.png?v=1", "/q.png?v=2"}) {
    EXPECT_EQ(Get(std::string("GET ") + path + " HTTP/1.0\r\n\r\n").body, path);
  }
  EXPECT_EQ(m_cdn.RequestCount(), 4u);
  EXPECT_EQ(m_cache.FileCount(), 4u);
  EXPECT_EQ(ReadFile(m_cache.File(Md5Hex("/q.png?v=2"))), "/q.png?v=2");
}

TEST_F(CdnStoreTest, OtherMethodsFetchMnaHtml) {
  m_cdn.Serve("/pnox_cdn//mna.html", HttpResponse("200 OK", "not here"));
  ParsedResponse answer = Get("POST /upload.php HTTP/1.0\r\n\r\n");
  EXPECT_EQ(answer.statusLine, "HTTP/1.0 501 Not Implemented");
  EXPECT_EQ(answer.body, "not here");
  ASSERT_EQ(m_cdn.RequestCount(), 1u);
  EXPECT_EQ(m_cdn.RequestPaths()[0], "/pnox_cdn//mna.html");
  EXPECT_TRUE(std::filesystem::exists(m_cache.File(Md5Hex("/mna.html"))));
}

TEST_F(CdnStoreTest, ControlBytesInThePathNeverReachTheCdn) {
  ParsedResponse injected = Get("GET /a.png\r\nX-Injected:1 HTTP/1.0\r\n\r\n");
  EXPECT_EQ(injected.statusLine, "HTTP/1.0 200 OK");
  EXPECT_EQ(injected.body, "");
  ParsedResponse bare = Get("GET /x\r\n\r\n");
  EXPECT_EQ(bare.body, "");
  ParsedResponse tab = Get(std::string("GET /a\tb.png HTTP/1.0\r\n\r\n"));
  EXPECT_EQ(tab.headerLines[5], "Content-Type: text/html");
  EXPECT_EQ(m_cdn.RequestCount(), 0u);
  EXPECT_EQ(m_cache.FileCount(), 0u);
}

// Dot segments, plain or percent-encoded, between slashes or backslashes
// (plain or encoded), would let the HTTP client fold the URL out of the CDN
// base; they are refused before any network call.
TEST_F(CdnStoreTest, PathsWithDotSegmentsNeverReachTheCdn) {
  const char* refused[] = {
      "/../../../etc/passwd", "\\..\\..\\win.ini", "/a/./b.png",   "/img/..",       "/.",
      "..\\win.ini",          "/%2e%2e/x.png",        "/%2E%2e%2Fx",  "/a%2f..%2fb",   "/a%5C..%5cb",
      "/.%2e/x.png",          "/a\\.\\b.png",        "/img/..?v=1",  "/q.png?r=/../", "/a/.#top",
  };
  for (const char* path : refused) {
    ParsedResponse answer = Get(std::string("GET ") + path + " HTTP/1.0\r\n\r\n");
    EXPECT_EQ(answer.statusLine, "HTTP/1.0 200 OK") << path;
    EXPECT_EQ(answer.body, "") << path;
    ASSERT_EQ(answer.headerLines.size(), 6u) << path;
    EXPECT_EQ(answer.headerLines[5], "Content-Type: text/html") << path;
  }
  EXPECT_EQ(m_cdn.RequestCount(), 0u);
  EXPECT_EQ(m_cache.FileCount(), 0u);
}

// Dots that are not whole segments are fetched, and the client sends the
// path exactly as given: base, then the path byte for byte.
TEST_F(CdnStoreTest, PathsWithOtherDotsAreSentExactlyAsGiven) {
  const std::vector<std::string> allowed = {
      "/a..b.txt", "/v1.2/app.js", "/.hidden.png", "/a/.../b.png", "/..a/b.png", "/a./b.png",
      "/%2e%2ex/y.png", "/%2ex.png", "/img/a.png?v=1.2", "/a%2fb.png", "/x%5c.png", "/A%2E.png",
  };
  for (const std::string& path : allowed) m_cdn.Serve("/pnox_cdn/" + path, HttpResponse("200 OK", "got " + path));
  for (const std::string& path : allowed) {
    ParsedResponse answer = Get("GET " + path + " HTTP/1.0\r\n\r\n");
    EXPECT_EQ(answer.body, "got " + path) << path;
  }
  std::vector<std::string> sent = m_cdn.RequestPaths();
  ASSERT_EQ(sent.size(), allowed.size());
  for (size_t i = 0; i < allowed.size(); ++i) EXPECT_EQ(sent[i], "/pnox_cdn/" + allowed[i]);
  EXPECT_EQ(m_cache.FileCount(), allowed.size());
}

TEST_F(CdnStoreTest, AnUnwritableCacheStillAnswersAndDownloadsAgain) {
  m_cdn.Serve("/pnox_cdn//w.png", HttpResponse("200 OK", "W"));
  // A regular file where the cache folder should be: nobody, not even an
  // administrator, can create files below it.
  WriteFile(m_cache.File("blocked"), "");
  CHTTPServer server(m_cdn.BaseUrl() + "/pnox_cdn/", m_cache.File("blocked") + "/");
  for (int i = 0; i < 2; ++i) {
    COutBuf out;
    int32_t keepAlive = 0;
    ASSERT_TRUE(server.ProcessRequest("GET /w.png HTTP/1.0\r\n\r\n", &out, &keepAlive));
    ExpectResponse(std::string(out.GetData(), static_cast<size_t>(out.GetLength())), "200 OK", "close",
                   "image/png", "W");
  }
  EXPECT_EQ(m_cdn.RequestCount(), 2u);
  EXPECT_EQ(m_cache.FileCount(), 1u);  // only the blocking file
}

TEST_F(CdnStoreTest, OfflineMakesNoRequestAndCachesNothing) {
  m_cdn.Serve("/pnox_cdn//off.png", HttpResponse("200 OK", "O"));
  CdnClientOptions offline;
  offline.workOffline = true;
  CHTTPServer server(m_cdn.BaseUrl() + "/pnox_cdn/", m_cache.Prefix(), CreatePlatformCdnClient(offline));
  COutBuf out;
  int32_t keepAlive = 0;
  ASSERT_TRUE(server.ProcessRequest("GET /off.png HTTP/1.0\r\n\r\n", &out, &keepAlive));
  ExpectResponse(std::string(out.GetData(), static_cast<size_t>(out.GetLength())), "200 OK", "close", "text/html",
                 "");
  EXPECT_EQ(m_cdn.RequestCount(), 0u);
  EXPECT_EQ(m_cache.FileCount(), 0u);
}

TEST_F(CdnStoreTest, ALargeDownloadArrivesWholeAcrossManyReads) {
  std::string big;
  for (int i = 0; i < 300000; ++i) big += static_cast<char>('a' + i % 26);
  m_cdn.Serve("/pnox_cdn//big.bin", [big](const std::string&) {
    return ScriptedResponse{HttpResponse("200 OK", big), 50};
  });
  ParsedResponse answer = Get("GET /big.bin HTTP/1.0\r\n\r\n");
  EXPECT_EQ(answer.body.size(), big.size());
  EXPECT_TRUE(answer.body == big);
  EXPECT_EQ(ReadFile(m_cache.File(Md5Hex("/big.bin"))).size(), big.size());
}

TEST_F(CdnStoreTest, DownloadToBufferWithoutASinkOnlyChecksTheStatus) {
  m_cdn.Serve("/pnox_cdn//s.png", HttpResponse("200 OK", "ignored"));
  std::shared_ptr<CdnClient> client = CreatePlatformCdnClient();
  CdnClient::Handle session = client->OpenSession("Agent1", CdnClient::kOpenPreconfigNoAutoproxy);
  ASSERT_NE(session, nullptr);
  std::string status = "200 OK";
  CHTTPServer server(m_cdn.BaseUrl() + "/pnox_cdn/", m_cache.Prefix(), client);
  EXPECT_EQ(server.DownloadToBuffer(session, &status, m_cdn.BaseUrl() + "/pnox_cdn//s.png", nullptr), 0);
  EXPECT_EQ(status, "200 OK");
  client->Close(session);
}

}  // namespace
