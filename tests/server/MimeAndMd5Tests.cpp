#include <gtest/gtest.h>

#include <set>

#include "Md5.h"
#include "MimeTypes.h"

namespace {

class MimeLookup : public ::testing::Test {
 protected:
  MimeLookup() { FillMimeTypes(m_map); }
  std::string TypeOf(const std::string& path) { return LookupContentType(m_map, path); }
  MimeMap m_map;
};

TEST_F(MimeLookup, HoldsTheWholeTable) {
  EXPECT_EQ(m_map.size(), 75u);
  std::set<std::string> types;
  for (auto& row : m_map) types.insert(row.second);
  EXPECT_EQ(types.size(), 43u);
  for (auto& row : m_map) {
    for (char c : row.first) EXPECT_FALSE(c >= 'A' && c <= 'Z') << row.first;
  }
}

TEST_F(MimeLookup, UsesTheLowerCasedBytesAfterTheLastDot) {
  EXPECT_EQ(TypeOf("/img/Logo.PNG"), "image/png");
  EXPECT_EQ(TypeOf("/pack/data.tar.gz"), "application/x-gzip");
  EXPECT_EQ(TypeOf("/a.ASSET"), "text/plain; charset=utf-8");
  EXPECT_EQ(TypeOf("/a.mp"), "text/plain; charset=utf-8");
  EXPECT_EQ(TypeOf("/a.res"), "text/plain; charset=utf-8");
  EXPECT_EQ(TypeOf("/a.xml"), "text/xml; charset=UTF-8");
  EXPECT_EQ(TypeOf("/a.arj"), "application/x-compressed");
  EXPECT_EQ(TypeOf("/a.rtf"), "text/richtext");
  EXPECT_EQ(TypeOf("/a.cpp"), "text/plain");
  EXPECT_EQ(TypeOf("/a.wcgi"), "wwwserver/isapi");
  EXPECT_EQ(TypeOf("/a.shtml"), "wwwserver/html-ssi");
  EXPECT_EQ(TypeOf("/movie.SWF"), "application/x-shockwave-flash");
}

TEST_F(MimeLookup, FallsBackToHtml) {
  EXPECT_EQ(TypeOf(""), "text/html");
  EXPECT_EQ(TypeOf("/"), "text/html");
  EXPECT_EQ(TypeOf("/readme"), "text/html");
  EXPECT_EQ(TypeOf("/file."), "text/html");
  EXPECT_EQ(TypeOf("/ui.swf?v=3"), "text/html");
  EXPECT_EQ(TypeOf("/dir.old/index"), "text/html");
  EXPECT_EQ(TypeOf("/a.png\r\n\r\n"), "text/html");
  EXPECT_EQ(TypeOf(std::string("/a.p\0g", 6)), "text/html");
  EXPECT_EQ(TypeOf("/a.\xC4\xB0png"), "text/html");  // no folding beyond A-Z
}

// The test suite of RFC 1321, appendix A.5.
TEST(Md5, MatchesTheReferenceSuite) {
  EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(Md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(Md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "d174ab98d277d9f5a5611c2c9f419d9f");
  EXPECT_EQ(Md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, HashesEveryByteIncludingZeros) {
  EXPECT_NE(Md5Hex(std::string("a\0b", 3)), Md5Hex("a"));
  EXPECT_EQ(Md5Hex(std::string(1 << 20, 'x')).size(), 32u);
}

}  // namespace
