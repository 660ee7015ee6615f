// Which requests the I/O thread answers itself: small cache hits only,
// with the path read exactly as ProcessRequest reads it.
#include <gtest/gtest.h>

#include "CacheHitProbe.h"
#include "HTTPServer.h"
#include "Md5.h"
#include "TestSupport.h"

namespace {

TEST(CacheHitProbe, ReadsThePathAsProcessRequestDoes) {
  std::string path;
  ASSERT_TRUE(CHTTPServer::ServedPath("GET /img/a.png HTTP/1.1\r\n\r\n", &path));
  EXPECT_EQ(path, "/img/a.png");
  ASSERT_TRUE(CHTTPServer::ServedPath("GET /x\r\n\r\n", &path));
  EXPECT_EQ(path, "/x\r\n\r\n");
  ASSERT_TRUE(CHTTPServer::ServedPath("get /a.png HTTP/1.1\r\n\r\n", &path));
  EXPECT_EQ(path, "/mna.html");
  ASSERT_TRUE(CHTTPServer::ServedPath("GETX /a.png HTTP/1.1\r\n\r\n", &path));
  EXPECT_EQ(path, "/mna.html");
  EXPECT_FALSE(CHTTPServer::ServedPath("GARBAGE\r\n\r\n", &path));
}

TEST(CacheHitProbe, AcceptsOnlySmallCacheHits) {
  TempDir cache;
  CHTTPServer responder("http://127.0.0.1:9/pnox_cdn/", cache.Prefix());
  WriteFile(cache.File(Md5Hex("/small.png")), std::string(100, 's'));
  WriteFile(cache.File(Md5Hex("/large.png")), std::string(101, 'l'));
  WriteFile(cache.File(Md5Hex("/empty.png")), "");
  WriteFile(cache.File(Md5Hex("/mna.html")), "no");
  CacheHitProbe probe(responder, 100);

  EXPECT_TRUE(probe("GET /small.png HTTP/1.1\r\n\r\n"));
  EXPECT_TRUE(probe("GET /empty.png HTTP/1.1\r\n\r\n"));
  EXPECT_TRUE(probe("POST /anything HTTP/1.1\r\n\r\n"));
  EXPECT_TRUE(probe("NOSPACE\r\n\r\n")) << "refused at once, nothing to wait for";
  EXPECT_FALSE(probe("GET /large.png HTTP/1.1\r\n\r\n"));
  EXPECT_FALSE(probe("GET /missing.png HTTP/1.1\r\n\r\n"));
  EXPECT_FALSE(probe("GET /SMALL.png HTTP/1.1\r\n\r\n"));
}

}  // namespace
