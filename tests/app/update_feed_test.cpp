// The update feed's rules: versions, addresses and the feed's text, on the
// host and under Wine alike.
#include <gtest/gtest.h>

#include <string>

#include "app/update_feed.h"

namespace {

const char kHash[] = "3f79bb7b435b05321651daefd374cdc681dc06faa65e374e38337b88ca046dea";

UpdateVersion Version(const std::string& text) {
  UpdateVersion version;
  EXPECT_TRUE(ParseUpdateVersion(text, &version)) << text;
  return version;
}

std::string Feed(const std::string& version, const std::string& url, const std::string& size,
                 const std::string& sha256) {
  return "# Velmora update feed\nversion=" + version + "\nurl=" + url + "\nsize=" + size + "\nsha256=" + sha256 + "\n";
}

std::string GoodFeed() {
  return Feed("1.0.1", "https://www.velmora.example/updates/velmora-1.0.1-setup.exe", "26633216", kHash);
}

// ---- versions ----

TEST(UpdateVersion, ReadsThreeOrFourParts) {
  UpdateVersion v = Version("1.2.3");
  EXPECT_EQ(UpdateVersionText(v), "1.2.3.0");
  EXPECT_EQ(UpdateVersionText(Version("65535.0.10.7")), "65535.0.10.7");
}

TEST(UpdateVersion, RefusesWhatAVersionResourceCannotHold) {
  UpdateVersion v;
  for (const char* bad : {"", "1", "1.0", "1.0.0.0.0", "1..0", "1.0.", ".1.0", "1.a.0", "-1.0.0", "+1.0.0",
                          " 1.0.0", "1.0.0 ", "65536.0.0", "1.0.100000", "1.0.0-beta"}) {
    EXPECT_FALSE(ParseUpdateVersion(bad, &v)) << '"' << bad << '"';
  }
}

TEST(UpdateVersion, ComparesPartByPartAsNumbers) {
  EXPECT_GT(CompareUpdateVersions(Version("1.0.1"), Version("1.0.0")), 0);
  EXPECT_LT(CompareUpdateVersions(Version("1.0.0"), Version("1.0.1")), 0);
  // Not as text: 10 is newer than 9, and a minor step outweighs any patch.
  EXPECT_GT(CompareUpdateVersions(Version("1.0.10"), Version("1.0.9")), 0);
  EXPECT_GT(CompareUpdateVersions(Version("1.1.0"), Version("1.0.65535")), 0);
  EXPECT_GT(CompareUpdateVersions(Version("2.0.0"), Version("1.99.99.99")), 0);
  EXPECT_EQ(CompareUpdateVersions(Version("1.0.0"), Version("1.0.0.0")), 0);
  EXPECT_GT(CompareUpdateVersions(Version("1.0.0.1"), Version("1.0.0")), 0);
}

// ---- addresses ----

TEST(UpdateAddress, HttpsToAnyHostIsAllowed) {
  EXPECT_TRUE(IsAllowedUpdateUrl("https://www.velmora.example/updates/velmora-update.txt"));
  EXPECT_TRUE(IsAllowedUpdateUrl("HTTPS://cdn.example.com:8443/a?b=c"));
  EXPECT_TRUE(IsAllowedUpdateUrl("https://[::1]:8443/feed"));
}

TEST(UpdateAddress, PlainHttpOnlyToTheLoopbackTestAddresses) {
  EXPECT_TRUE(IsAllowedUpdateUrl("http://127.0.0.1:8080/updates/feed.txt"));
  EXPECT_TRUE(IsAllowedUpdateUrl("http://localhost/feed.txt"));
  EXPECT_TRUE(IsAllowedUpdateUrl("http://LocalHost:1234"));
  EXPECT_FALSE(IsAllowedUpdateUrl("http://www.velmora.example/updates/velmora-update.txt"));
  EXPECT_FALSE(IsAllowedUpdateUrl("http://127.0.0.2/feed.txt"));
  EXPECT_FALSE(IsAllowedUpdateUrl("http://127.0.0.1.evil.example/feed.txt"));
  EXPECT_FALSE(IsAllowedUpdateUrl("http://localhost.evil.example/feed.txt"));
  EXPECT_FALSE(IsAllowedUpdateUrl("http://[::1]/feed.txt"));
}

TEST(UpdateAddress, NoFileOrUncOrOtherSchemes) {
  for (const char* bad : {"file:///C:/users/player/setup.exe", "file://server/share/setup.exe",
                          "FILE:///C:/setup.exe", "\\\\server\\share\\setup.exe", "//server/share/setup.exe",
                          "C:\\setup.exe", "ftp://www.velmora.example/setup.exe", "javascript:alert(1)",
                          "https:\\\\server\\share\\setup.exe", "https:/www.velmora.example/x", "setup.exe", ""}) {
    EXPECT_FALSE(IsAllowedUpdateUrl(bad)) << bad;
  }
}

TEST(UpdateAddress, NoUserNameEmptyHostBadPortOrOddCharacters) {
  // Before "@" stands a user name, not the host a reader sees.
  EXPECT_FALSE(IsAllowedUpdateUrl("http://127.0.0.1@evil.example/setup.exe"));
  EXPECT_FALSE(IsAllowedUpdateUrl("https://user:pw@www.velmora.example/setup.exe"));
  EXPECT_FALSE(IsAllowedUpdateUrl("https://www.velmora.example@cdn.example.com/setup.exe"));
  EXPECT_FALSE(IsAllowedUpdateUrl("https:///setup.exe"));
  EXPECT_FALSE(IsAllowedUpdateUrl("https://:443/setup.exe"));
  EXPECT_FALSE(IsAllowedUpdateUrl("https://www.velmora.example:0/x"));
  EXPECT_FALSE(IsAllowedUpdateUrl("https://www.velmora.example:65536/x"));
  EXPECT_FALSE(IsAllowedUpdateUrl("https://www.velmora.example:/x"));
  EXPECT_FALSE(IsAllowedUpdateUrl("https://www.velmora.example/a b.exe"));
  EXPECT_FALSE(IsAllowedUpdateUrl("https://www.velmora.example/a\\b.exe"));
  EXPECT_FALSE(IsAllowedUpdateUrl("https://www.velmora.example/\x01.exe"));
  EXPECT_FALSE(IsAllowedUpdateUrl("https://www.velmora.example/\xc3\xa9.exe"));
}

// ---- the feed ----

TEST(UpdateFeedText, ReadsWhatPackageShWrites) {
  UpdateFeed feed;
  ASSERT_EQ(ParseUpdateFeed(GoodFeed(), &feed), FeedParse::kOk);
  EXPECT_EQ(UpdateVersionText(feed.version), "1.0.1.0");
  EXPECT_EQ(feed.url, "https://www.velmora.example/updates/velmora-1.0.1-setup.exe");
  EXPECT_EQ(feed.size, 26633216u);
  EXPECT_EQ(feed.sha256, kHash);
}

TEST(UpdateFeedText, ToleratesCrLfSpacesCommentsAndUnknownKeys) {
  std::string text = "\r\n# made by hand\r\n  version = 2.0.0 \r\nnotes=anything at all\r\n"
                     "url=https://cdn.example.com/s.exe\r\n\r\nsize=1\r\nsha256=" +
                     std::string(kHash).substr(0, 60) + "DEAD\r\n";
  UpdateFeed feed;
  ASSERT_EQ(ParseUpdateFeed(text, &feed), FeedParse::kOk);
  EXPECT_EQ(UpdateVersionText(feed.version), "2.0.0.0");
  EXPECT_EQ(feed.size, 1u);
  EXPECT_EQ(feed.sha256.substr(60), "dead") << "hexadecimal digits are kept in lower case";
}

TEST(UpdateFeedText, GarbageIsNotAFeed) {
  UpdateFeed feed;
  const std::string url = "https://www.velmora.example/s.exe";
  const std::string bad[] = {
      "",
      "<html><body>Not here</body></html>",
      "\x89PNG\r\n\x1a\n",
      GoodFeed() + "<html>\n",
      Feed("1.0", url, "10", kHash),
      Feed("1.0.1", url, "0", kHash),
      Feed("1.0.1", url, "-5", kHash),
      Feed("1.0.1", url, "10 MB", kHash),
      Feed("1.0.1", url, "1073741825", kHash),  // over 1 GiB
      Feed("1.0.1", url, "99999999999999999999999", kHash),
      Feed("1.0.1", url, "10", std::string(kHash).substr(1)),
      Feed("1.0.1", url, "10", std::string(kHash) + "0"),
      Feed("1.0.1", url, "10", std::string(kHash).substr(1) + "g"),
      Feed("1.0.1", "", "10", kHash),
      "version=1.0.1\nurl=" + url + "\nsize=10\n",  // no hash
      GoodFeed() + "size=11\n",                     // a key twice
      GoodFeed() + "Version=9.0.0\n",               // keys are lower case
      GoodFeed() + "=value\n",
      std::string("version=1.0.1\0\n", 15) + "url=" + url + "\nsize=10\nsha256=" + kHash + "\n",
  };
  for (const std::string& text : bad) {
    EXPECT_EQ(ParseUpdateFeed(text, &feed), FeedParse::kGarbage) << text;
  }
}

TEST(UpdateFeedText, AFeedOver64KiBIsRefusedEvenWhenItParses) {
  UpdateFeed feed;
  std::string padded = GoodFeed() + "# " + std::string(kMaxUpdateFeedBytes - GoodFeed().size() - 3, 'x') + "\n";
  ASSERT_EQ(padded.size(), kMaxUpdateFeedBytes);
  EXPECT_EQ(ParseUpdateFeed(padded, &feed), FeedParse::kOk);
  EXPECT_EQ(ParseUpdateFeed(padded + "\n", &feed), FeedParse::kGarbage);
}

TEST(UpdateFeedText, AnInstallerAddressOutsideTheRulesIsRefused) {
  UpdateFeed feed;
  for (const char* url : {"file:///C:/users/player/setup.exe", "\\\\server\\share\\setup.exe",
                          "http://www.velmora.example/s.exe", "file://server/share/setup.exe"}) {
    EXPECT_EQ(ParseUpdateFeed(Feed("1.0.1", url, "10", kHash), &feed), FeedParse::kAddressRefused) << url;
  }
  EXPECT_EQ(ParseUpdateFeed(Feed("1.0.1", "http://127.0.0.1:8080/s.exe", "10", kHash), &feed), FeedParse::kOk);
}

TEST(UpdateFeedText, ARefusedFeedLeavesTheResultUntouched) {
  UpdateFeed feed;
  ASSERT_EQ(ParseUpdateFeed(GoodFeed(), &feed), FeedParse::kOk);
  EXPECT_EQ(ParseUpdateFeed(Feed("9.0.0", "file:///C:/x.exe", "10", kHash), &feed), FeedParse::kAddressRefused);
  EXPECT_EQ(UpdateVersionText(feed.version), "1.0.1.0");
}

// ---- the download's deadline ----

TEST(UpdateDeadline, TwoMinutesAndASecondPer32KiB) {
  EXPECT_EQ(UpdateDownloadDeadlineSeconds(1), 120u);
  EXPECT_EQ(UpdateDownloadDeadlineSeconds(25u * 1024 * 1024), 120u + 800u);
  EXPECT_EQ(UpdateDownloadDeadlineSeconds(kMaxUpdateInstallerBytes), 120u + 32768u);
}

}  // namespace
