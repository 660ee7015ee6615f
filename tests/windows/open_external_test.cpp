// Addresses handed to the system browser: only http and https leave the
// client. Under test, Wine's browser setting points at a recorder that logs
// each address (scripts/url-recorder.sh), so nothing really opens.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
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

// When the address cannot be opened by its association, it goes to the
// program named "iexplore" as one argument, spaces and all. The test breaks
// the http association for a moment and lays a recorder named iexplore.exe
// in the working folder, where the shell looks before the system folder.
class BrokenHttpAssociation {
 public:
  BrokenHttpAssociation() {
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key_) !=
        ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    wchar_t value[1024] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    if (RegQueryValueExW(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS) {
      saved_ = value;
    }
    Set(L"\"C:\\velmora-missing\\no-browser.exe\" \"%1\"");
  }
  ~BrokenHttpAssociation() {
    if (!key_) return;
    Set(saved_);
    RegCloseKey(key_);
  }
  bool ok() const { return key_ != nullptr && !saved_.empty(); }

 private:
  void Set(const std::wstring& command) {
    RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  }
  HKEY key_ = nullptr;
  std::wstring saved_;
};

std::wstring Folder(const std::wstring& file) { return file.substr(0, file.find_last_of(L'\\') + 1); }

TEST(OpenExternal, TheIexploreFallbackGetsTheAddressAsOneArgument) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring bin = Folder(self);
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"velmora-iexplore-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring log = folder + L"\\args.txt";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW((bin + L"args_recorder.exe").c_str(), (folder + L"\\iexplore.exe").c_str(), FALSE));
  SetEnvironmentVariableW(L"VELMORA_ARGS_LOG", log.c_str());
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(folder.c_str());

  const wchar_t kAddress[] = L"http://www.velmora.example/news page.html?from=a b";
  {
    BrokenHttpAssociation broken;
    ASSERT_TRUE(broken.ok());
    EXPECT_TRUE(OpenInSystemBrowser(kAddress));
    for (int i = 0; i < 100 && GetFileAttributesW(log.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
    Sleep(200);  // the recorder has closed its file
  }
  SetCurrentDirectoryW(previous);

  std::vector<std::string> args;
  if (FILE* in = _wfopen(log.c_str(), L"rb")) {
    char line[4096];
    while (std::fgets(line, sizeof line, in)) args.push_back(std::string(line, std::strcspn(line, "\n")));
    std::fclose(in);
  }
  DeleteFileW(log.c_str());
  DeleteFileW((folder + L"\\iexplore.exe").c_str());
  RemoveDirectoryW(folder.c_str());
  ASSERT_EQ(args.size(), 1u) << "iexplore was not started, or got the address in pieces";
  EXPECT_EQ(args[0], "http://www.velmora.example/news page.html?from=a b");
}

}  // namespace
