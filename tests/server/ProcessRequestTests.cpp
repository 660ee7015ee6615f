// Request parsing and the response format, answered from prepared cache
// files (the CDN here is a loopback port where nothing listens).
#include <gtest/gtest.h>

#include "HTTPServer.h"
#include "LoopbackHttpServer.h"
#include "Md5.h"
#include "OutBuf.h"
#include "TestSupport.h"

namespace {

class ProcessRequestTest : public ::testing::Test {
 protected:
  ProcessRequestTest()
      : m_server("http://127.0.0.1:" + std::to_string(LoopbackHttpServer::UnusedPort()) + "/pnox_cdn/",
                 m_cache.Prefix()) {}

  void Cache(const std::string& path, const std::string& bytes) { WriteFile(m_cache.File(Md5Hex(path)), bytes); }

  std::string Answer(const std::string& request, int32_t keepAlive = 0) {
    COutBuf out;
    m_keepAlive = keepAlive;
    EXPECT_TRUE(m_server.ProcessRequest(request, &out, &m_keepAlive));
    return std::string(out.GetData() ? out.GetData() : "", static_cast<size_t>(out.GetLength()));
  }

  TempDir m_cache;
  CHTTPServer m_server;
  int32_t m_keepAlive = 0;
};

TEST(IsRequestComplete, LooksOnlyAtTheFinalEmptyLine) {
  CHTTPServer server;
  EXPECT_FALSE(server.IsRequestComplete(""));
  EXPECT_FALSE(server.IsRequestComplete("\r\n\r"));
  EXPECT_FALSE(server.IsRequestComplete("GET / HTTP/1.0\n\n"));
  EXPECT_FALSE(server.IsRequestComplete("GET / HTTP/1.0\r\n\r\nbody"));
  EXPECT_TRUE(server.IsRequestComplete("\r\n\r\n"));
  EXPECT_TRUE(server.IsRequestComplete("GET / HTTP/1.0\r\nHost: x\r\n\r\n"));
  EXPECT_TRUE(server.IsRequestComplete(std::string("\0\0\r\n\r\n", 6)));
}

TEST(HttpServerObject, TransportHooksAnswerZero) {
  CHTTPServer server;
  EXPECT_EQ(server.TransportHookA(7, 9), 0u);
  EXPECT_EQ(server.TransportHookB(7), 0u);
}

TEST_F(ProcessRequestTest, ServesACachedAssetWithItsContentType) {
  Cache("/img/a.png", std::string("\x89PNG\0data", 9));
  std::string raw = Answer("GET /img/a.png HTTP/1.1\r\nHost: cdn\r\nAccept: */*\r\n\r\n");
  ExpectResponse(raw, "200 OK", "close", "image/png", std::string("\x89PNG\0data", 9));
}

TEST_F(ProcessRequestTest, ARequestWithoutASpaceTouchesNothing) {
  COutBuf out;
  out.PutString("before");
  int32_t keepAlive = 5;
  EXPECT_FALSE(m_server.ProcessRequest("GARBAGE\r\nConnection:keep-alive\r\n\r\n", &out, &keepAlive));
  EXPECT_EQ(std::string(out.GetData(), static_cast<size_t>(out.GetLength())), "before");
  EXPECT_EQ(keepAlive, 5);
  EXPECT_FALSE(m_server.ProcessRequest("", &out, &keepAlive));
}

TEST_F(ProcessRequestTest, OtherMethodsGetNotImplementedWithTheBodyOfMnaHtml) {
  Cache("/mna.html", "<p>only GET</p>");
  Cache("/img/a.png", "png");
  for (const char* method : {"get", "HEAD", "POST", "GETX"}) {
    std::string raw = Answer(std::string(method) + " /img/a.png HTTP/1.0\r\n\r\n");
    ExpectResponse(raw, "501 Not Implemented", "close", "text/html", "<p>only GET</p>");
  }
}

TEST_F(ProcessRequestTest, APathWithoutASecondSpaceRunsToTheEnd) {
  Cache("/x\r\n\r\n", "tail");
  ExpectResponse(Answer("GET /x\r\n\r\n"), "200 OK", "close", "text/html", "tail");
}

TEST_F(ProcessRequestTest, ThePathIsUsedExactlyAsSent) {
  Cache("/ui.swf?v=3", "movie");
  Cache("/a%20b.png", "escaped");
  Cache("/", "root");
  ExpectResponse(Answer("GET /ui.swf?v=3 HTTP/1.0\r\n\r\n"), "200 OK", "close", "text/html", "movie");
  ExpectResponse(Answer("GET /a%20b.png HTTP/1.0\r\n\r\n"), "200 OK", "close", "image/png", "escaped");
  ExpectResponse(Answer("GET / HTTP/1.0\r\n\r\n"), "200 OK", "close", "text/html", "root");
}

TEST_F(ProcessRequestTest, KeepAliveIsRecognisedOnlyInItsExactForm) {
  Cache("/k.txt", "k");
  ExpectResponse(Answer("GET /k.txt HTTP/1.0\r\nConnection: keep-alive\r\n\r\n"), "200 OK", "Keep-Alive",
                 "text/plain", "k");
  EXPECT_EQ(m_keepAlive, 1);
  ExpectResponse(Answer("GET /k.txt HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n"), "200 OK", "close", "text/plain",
                 "k");
  EXPECT_EQ(m_keepAlive, 0);
  // A flag the caller left set is never cleared.
  ExpectResponse(Answer("GET /k.txt HTTP/1.0\r\n\r\n", 1), "200 OK", "Keep-Alive", "text/plain", "k");
  EXPECT_EQ(m_keepAlive, 1);
}

TEST_F(ProcessRequestTest, AnEmptyCacheFileIsAnEmptyBodyWithoutADownload) {
  Cache("/empty.xml", "");
  std::string raw = Answer("GET /empty.xml HTTP/1.0\r\n\r\n");
  ExpectResponse(raw, "200 OK", "close", "text/xml; charset=UTF-8", "");
  EXPECT_EQ(raw.substr(raw.size() - 4), "\r\n\r\n");
}

TEST_F(ProcessRequestTest, TheOutputBufferHoldsOnlyTheResponse) {
  Cache("/a.txt", "A");
  COutBuf out;
  out.PutString("stale bytes from an earlier answer");
  int32_t keepAlive = 0;
  ASSERT_TRUE(m_server.ProcessRequest("GET /a.txt HTTP/1.0\r\n\r\n", &out, &keepAlive));
  ExpectResponse(std::string(out.GetData(), static_cast<size_t>(out.GetLength())), "200 OK", "close", "text/plain",
                 "A");
}

TEST_F(ProcessRequestTest, AMissingAssetThatCannotBeDownloadedIsAnEmptyHtmlAnswer) {
  std::string raw = Answer("GET /gone.png HTTP/1.0\r\n\r\n");
  ExpectResponse(raw, "200 OK", "close", "text/html", "");
  EXPECT_EQ(m_cache.FileCount(), 0u);
}

TEST(CacheFileName, IsTheMd5OfThePathBytes) {
  EXPECT_EQ(CHTTPServer::CacheFileName("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_NE(CHTTPServer::CacheFileName("/A.png"), CHTTPServer::CacheFileName("/a.png"));
  CHTTPServer server("http://127.0.0.1:9/pnox_cdn/", "cache/");
  EXPECT_EQ(server.CacheFilePath("abc"), "cache/900150983cd24fb0d6963f7d28e17f72");
  CHTTPServer process;
  EXPECT_EQ(process.CacheFilePath("abc"), "900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
