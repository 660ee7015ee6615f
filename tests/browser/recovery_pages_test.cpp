// When a failed or dead page is tried again, and the pages shown meanwhile:
// the plain parts of PageRecovery, on any platform.
#include <gtest/gtest.h>

#include <string>

#include "browser/error_page.h"
#include "browser/recovery_policy.h"

namespace {

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(RetryDelay, DoublesFromTwoSecondsUpToThirty) {
  EXPECT_EQ(RetryDelayMs(1), 2000u);
  EXPECT_EQ(RetryDelayMs(2), 4000u);
  EXPECT_EQ(RetryDelayMs(3), 8000u);
  EXPECT_EQ(RetryDelayMs(4), 16000u);
  EXPECT_EQ(RetryDelayMs(5), 30000u);
  EXPECT_EQ(RetryDelayMs(6), 30000u);
  EXPECT_EQ(RetryDelayMs(1000000), 30000u) << "a long outage never waits longer, nor overflows";
  EXPECT_EQ(RetryDelayMs(0), 2000u);
}

TEST(CrashHistory, ASecondDeathWithinAMinuteIsARepeat) {
  CrashHistory deaths;
  EXPECT_FALSE(deaths.RecordAndCheckRepeated(1, 100000));
  EXPECT_TRUE(deaths.RecordAndCheckRepeated(1, 100000 + kCrashWindowMs - 1));
  // The window runs from the last death, not the first.
  EXPECT_TRUE(deaths.RecordAndCheckRepeated(1, 100000 + 2 * kCrashWindowMs - 2));
  EXPECT_FALSE(deaths.RecordAndCheckRepeated(1, 100000 + 3 * kCrashWindowMs));
}

TEST(CrashHistory, EachBrowserCountsApartAndTheTickCountMayWrap) {
  CrashHistory deaths;
  EXPECT_FALSE(deaths.RecordAndCheckRepeated(1, 0xFFFFF000u));
  EXPECT_FALSE(deaths.RecordAndCheckRepeated(2, 0xFFFFF800u)) << "another browser's first death";
  EXPECT_TRUE(deaths.RecordAndCheckRepeated(1, 0x00001000u)) << "8 s later, across the wrap";
  EXPECT_TRUE(deaths.RecordAndCheckRepeated(2, 0x00002000u));
}

TEST(RetryingErrorPage, KeepsTheErrorTextAndSaysWhenItTriesAgain) {
  std::string page = BuildRetryingErrorPage("http://portal.test/index.htm?a=1&b=2", "net::ERR_CONNECTION_REFUSED",
                                            -102, 4);
  EXPECT_EQ(page,
            "<html><body bgcolor=\"white\"><h2>Failed to load URL http://portal.test/index.htm?a=1&amp;b=2 with "
            "error net::ERR_CONNECTION_REFUSED (-102).</h2><p>Trying again in 4 seconds.</p><p><a id=\"retry\" "
            "href=\"http://portal.test/index.htm?a=1&amp;b=2\">Try again now</a></p></body></html>");
  EXPECT_EQ(page.find(BuildErrorPage("http://portal.test/index.htm?a=1&b=2", "net::ERR_CONNECTION_REFUSED", -102)
                          .substr(0, 100)),
            0u)
      << "the plain error page's text comes first, unchanged";
  EXPECT_NE(BuildRetryingErrorPage("http://x.test/", "e", -2, 1).find("Trying again in 1 second."), std::string::npos);
}

TEST(RetryingErrorPage, MarkupInTheAddressNeverBecomesATagOrLeavesTheLink) {
  const std::string url = "http://x.test/#\"><script>alert('x')</script>& y`";
  std::string page = BuildRetryingErrorPage(url, "<b>refused</b>", -102, 2);
  EXPECT_EQ(Count(page, "<a "), 1u);
  EXPECT_EQ(Count(page, "<script"), 0u);
  EXPECT_EQ(Count(page, "<b>"), 0u);
  EXPECT_NE(page.find("href=\"http://x.test/#%22%3E%3Cscript%3Ealert(%27x%27)%3C/script%3E&amp;%20y%60\""),
            std::string::npos)
      << page;
  // The heading shows the address as text, escaped but not encoded.
  EXPECT_NE(page.find("http://x.test/#&quot;&gt;&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp; y` with"),
            std::string::npos)
      << page;
}

TEST(StoppedPage, SaysTheGameStoppedAndLinksToItsPage) {
  std::string page = BuildStoppedPage("http://game.test/g/velmoLogin?u=1&t=\"x\"");
  EXPECT_NE(page.find("<h2>The game stopped.</h2>"), std::string::npos);
  EXPECT_NE(page.find("<a id=\"reload\" href=\"http://game.test/g/velmoLogin?u=1&amp;t=%22x%22\">Reload the game</a>"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("F11"), std::string::npos);
  EXPECT_EQ(Count(page, "<a "), 1u);
}

}  // namespace
