// Addresses handed to the system browser: only http and https leave the
// client. Under test, Wine's browser setting points at a recorder that logs
// each address (scripts/url-recorder.sh), so nothing really opens.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/app_messages.h"
#include "ui/OpenExternal.h"
#include "window_test_support.h"

namespace {

TEST(OpenExternal, OnlyWebAddressesLeaveTheClient) {
  EXPECT_TRUE(IsWebAddress(L"http://www.velmora.example/news.html"));
  EXPECT_TRUE(IsWebAddress(L"HTTPS://www.velmora.example/"));
  EXPECT_FALSE(IsWebAddress(nullptr));
  EXPECT_FALSE(IsWebAddress(L""));
  EXPECT_FALSE(IsWebAddress(L"file:///C:/windows/system32/calc.exe"));
  EXPECT_FALSE(IsWebAddress(L"\\\\evil.example\\share\\run.exe"));
  EXPECT_FALSE(IsWebAddress(L"C:\\windows\\notepad.exe"));
  EXPECT_FALSE(IsWebAddress(L"notepad.exe"));
  EXPECT_FALSE(IsWebAddress(L"javascript:alert(1)"));
  EXPECT_FALSE(IsWebAddress(L"http:///etc/passwd"));
  EXPECT_FALSE(IsWebAddress(L"http://a.example/\" -extoff"));
  EXPECT_FALSE(IsWebAddress(L"ftp://files.example/"));
}

TEST(OpenExternal, TheLoginAndGameWindowsHandOnlyWebAddressesToTheSystemBrowser) {
  if (!HasUrlRecorder()) GTEST_SKIP() << "no URL recorder set up";
  size_t before = RecordedUrls().size();
  EXPECT_FALSE(OpenInSystemBrowser(L"file:///C:/windows/notepad.exe"));
  EXPECT_FALSE(OpenInSystemBrowser(L"\\\\server\\share\\x.exe"));
  EXPECT_FALSE(OpenInSystemBrowser(L"javascript:alert(1)"));
  EXPECT_FALSE(OpenInSystemBrowser(nullptr));
  EXPECT_TRUE(OpenInSystemBrowser(L"http://www.velmora.example/news.html?from=test"));
  EXPECT_TRUE(OpenInSystemBrowser(L"https://www.velmora.example/secure"));
  std::vector<std::string> urls = WaitForUrls(before + 2);
  ASSERT_EQ(urls.size(), before + 2);
  std::vector<std::string> added(urls.begin() + before, urls.end());
  std::sort(added.begin(), added.end());
  EXPECT_EQ(added[0], "http://www.velmora.example/news.html?from=test");
  EXPECT_EQ(added[1], "https://www.velmora.example/secure");
}

}  // namespace
