// The shared helpers of the application shell, against the real kernel32,
// shlwapi and C runtime under Wine.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>

#include "app/app_messages.h"
#include "app/app_util.h"
#include "app/cache_folder.h"
#include "app/cef_startup.h"
#include "app/profile_lock.h"

namespace {

// ---- AnsiToWide ----

TEST(AnsiToWide, AsciiPassesThrough) {
  EXPECT_EQ(AnsiToWide("http://portal.test/wd/wd-vlmr/index.htm?a=1&b=2"),
            L"http://portal.test/wd/wd-vlmr/index.htm?a=1&b=2");
  EXPECT_EQ(AnsiToWide(""), L"");
}

TEST(AnsiToWide, GbkBytesBecomeTheRightUtf16) {
  // "中文游戏" in GBK, mixed with ASCII.
  EXPECT_EQ(AnsiToWide("\xD6\xD0\xCE\xC4" "abc" "\xD3\xCE\xCF\xB7"), L"\u4e2d\u6587abc\u6e38\u620f");
  // "€" is 0x80 in code page 936.
  EXPECT_EQ(AnsiToWide("\x80"), L"\u20ac");
}

TEST(AnsiToWide, LeavesTheCLocaleBehind) {
  AnsiToWide("\xD6\xD0");
  EXPECT_STREQ(setlocale(LC_ALL, nullptr), "C");
}

// ---- CreateDirectoryPath ----

class CreateDirectoryPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    root = std::wstring(temp) + L"velmora_cdp_" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(root);
  }
  void TearDown() override { RemoveTree(root); }
  static void RemoveTree(const std::wstring& path) {
    std::wstring list = path + L'\0';  // double-null terminated for SHFileOperation
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = list.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
  }
  static bool IsDir(const std::wstring& p) {
    DWORD a = GetFileAttributesW(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }
  std::wstring root;
};

TEST_F(CreateDirectoryPathTest, CreatesSeveralMissingLevels) {
  std::wstring path = root + L"\\a\\b\\cache\\";
  EXPECT_TRUE(CreateDirectoryPath(path.c_str()));
  EXPECT_TRUE(IsDir(root + L"\\a"));
  EXPECT_TRUE(IsDir(root + L"\\a\\b\\cache"));
}

TEST_F(CreateDirectoryPathTest, WithoutTrailingBackslashCreatesTheLastFolderToo) {
  std::wstring path = root + L"\\x\\y";
  EXPECT_TRUE(CreateDirectoryPath(path.c_str()));
  EXPECT_TRUE(IsDir(path));
}

TEST_F(CreateDirectoryPathTest, ExistingPathSucceeds) {
  std::wstring path = root + L"\\here\\";
  ASSERT_TRUE(CreateDirectoryPath(path.c_str()));
  EXPECT_TRUE(CreateDirectoryPath(path.c_str()));
}

TEST_F(CreateDirectoryPathTest, FailurePartWayStopsTheWalk) {
  ASSERT_TRUE(CreateDirectoryPath((root + L"\\").c_str()));
  // A file where a folder should be: the walk stops there.
  std::wstring blocker = root + L"\\file";
  HANDLE h = CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_FALSE(CreateDirectoryPath((blocker + L"\\sub\\deeper\\").c_str()));
  EXPECT_FALSE(IsDir(blocker + L"\\sub"));
}

TEST_F(CreateDirectoryPathTest, DriveRootAndNull) {
  EXPECT_TRUE(CreateDirectoryPath(L"C:\\"));
  EXPECT_FALSE(CreateDirectoryPath(nullptr));
}

TEST_F(CreateDirectoryPathTest, NameWithoutBackslash) {
  wchar_t old[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, old);
  ASSERT_TRUE(CreateDirectoryPath((root + L"\\").c_str()));
  SetCurrentDirectoryW(root.c_str());
  EXPECT_TRUE(CreateDirectoryPath(L"plain"));
  SetCurrentDirectoryW(old);
  EXPECT_TRUE(IsDir(root + L"\\plain"));
}

// ---- Cache path and CEF settings ----

TEST(BrowserCachePath, AppendsCacheToTheDirectoryAsItIs) {
  EXPECT_EQ(BrowserCachePath(L"C:\\games\\velmora"), L"C:\\games\\velmora\\cache\\");
  EXPECT_EQ(BrowserCachePath(L"C:\\"), L"C:\\\\cache\\");  // drive root: two in a row
  EXPECT_EQ(BrowserCachePath(L"C:\\\u0418\u0433\u0440\u044b\\Velmora \u03a9"),
            L"C:\\\u0418\u0433\u0440\u044b\\Velmora \u03a9\\cache\\");
}

TEST(BrowserCachePath, UnknownDirectoryFallsBackToTheExecutableFolder) {
  std::wstring expected = ExecutableDirectory() + L"\\cache\\";
  EXPECT_EQ(BrowserCachePath(L""), expected);
  EXPECT_GT(expected.size(), 10u);
}

// Folders whose names no ANSI code page holds: the working folder is read
// as it is, and the profile goes to a folder that can hold it.
TEST_F(CreateDirectoryPathTest, AnyFolderNameKeepsItsProfileOnDisk) {
  std::wstring games = root + L"\\\u0418\u0433\u0440\u044b\\J\u00fcrgen Velmora \u03a9";
  ASSERT_TRUE(CreateDirectoryPath(games.c_str()));
  wchar_t old[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, old);
  ASSERT_TRUE(SetCurrentDirectoryW(games.c_str()));
  std::wstring cache = BrowserCachePath(ReadCurrentDirectory());
  SetCurrentDirectoryW(old);
  EXPECT_EQ(cache, games + L"\\cache\\");

  EXPECT_EQ(ChooseBrowserCache(cache), cache);
  EXPECT_TRUE(IsDir(games + L"\\cache"));
  // The probe leaves nothing behind in the player's profile.
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((cache + L"*.tmp").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);

  // A file where the cache folder should be: the per-user folder of this
  // install takes the profile.
  std::wstring blocked = root + L"\\blocked\\";
  ASSERT_TRUE(CreateDirectoryPath(blocked.c_str()));
  HANDLE file = CreateFileW((blocked + L"cache").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_FALSE(FolderIsWritable(blocked + L"cache\\"));
  std::wstring fallback = ChooseBrowserCache(blocked + L"cache\\");
  wchar_t localAppData[MAX_PATH];
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData)));
  EXPECT_EQ(fallback, FallbackCachePath(localAppData, ExecutableDirectory()));
  EXPECT_TRUE(IsDir(fallback));
}

TEST(FallbackCachePath, OneFolderPerInstallFolderWhateverItsSpelling) {
  std::wstring a = FallbackCachePath(L"C:\\users\\J\u00fcrgen\\AppData\\Local", L"C:\\Games\\Velmora");
  EXPECT_EQ(a.find(L"C:\\users\\J\u00fcrgen\\AppData\\Local\\Velmora\\Profiles\\"), 0u);
  EXPECT_EQ(a.substr(a.size() - 7), L"\\cache\\");
  EXPECT_EQ(a, FallbackCachePath(L"C:\\users\\J\u00fcrgen\\AppData\\Local", L"c:/games/VELMORA"));
  EXPECT_NE(a, FallbackCachePath(L"C:\\users\\J\u00fcrgen\\AppData\\Local", L"C:\\Games\\Velmora 2"));
}

TEST(ReadCurrentDirectory, MatchesTheProcessDirectory) {
  wchar_t dir[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, dir);
  EXPECT_EQ(ReadCurrentDirectory(), std::wstring(dir));
}

TEST(FillCefSettings, SetsExactlyTheFourFields) {
  CefSettings settings;
  FillCefSettings(settings, L"C:\\run\\cache\\");
  EXPECT_EQ(settings.size, 192u);
  EXPECT_EQ(settings.multi_threaded_message_loop, 1);
  EXPECT_EQ(CefString(&settings.cache_path).ToWString(), L"C:\\run\\cache\\");
  EXPECT_EQ(CefString(&settings.locale).ToWString(), L"zh-CN");
  EXPECT_EQ(settings.single_process, 0);
  EXPECT_EQ(settings.no_sandbox, 0);
  EXPECT_EQ(settings.command_line_args_disabled, 0);
  EXPECT_EQ(settings.remote_debugging_port, 0);
  EXPECT_EQ(settings.browser_subprocess_path.length, 0u);
  EXPECT_EQ(settings.user_agent.length, 0u);
  EXPECT_EQ(settings.log_file.length, 0u);
}

TEST(MessageTable, NumbersAreFixed) {
  EXPECT_EQ(WM_SHOW_LOGIN, 2027);
  EXPECT_EQ(WM_LOGIN_URL, 2028);
  EXPECT_EQ(WM_TRAY_NOTIFY, 2029);
  EXPECT_EQ(WM_EXIT_FULLSCREEN, 2030);
  EXPECT_EQ(WM_PAGE_TITLE, 2031);
  EXPECT_EQ(WM_RELOAD_PAGE, 2032);
  EXPECT_EQ(WM_OPEN_EXTERNAL, 2033);
}

}  // namespace

// ---- One client per profile ----

namespace profile_lock {

TEST(ProfileLock, TheFirstClaimHoldsAndEverySpellingOfThePathIsRefusedAfterIt) {
  const std::wstring path = L"C:\\Games\\Velmora-" + std::to_wstring(GetCurrentProcessId()) + L"\\cache\\";
  ASSERT_TRUE(ClaimBrowserCache(path));
  EXPECT_FALSE(ClaimBrowserCache(path)) << "a second client on the same folder";
  std::wstring other = path;
  for (wchar_t& c : other) c = (c == L'\\') ? L'/' : static_cast<wchar_t>(towupper(c));
  EXPECT_EQ(ProfileLockName(other), ProfileLockName(path));
  EXPECT_FALSE(ClaimBrowserCache(other)) << "the same folder spelt otherwise";
  // Another folder is another profile.
  EXPECT_TRUE(ClaimBrowserCache(path + L"other\\"));
}

TEST(ProfileLock, TheLockNameIsAValidObjectName) {
  std::wstring name = ProfileLockName(std::wstring(2000, L'x'));
  EXPECT_LT(name.size(), static_cast<size_t>(MAX_PATH));
  EXPECT_EQ(name.find(L'\\'), name.rfind(L'\\')) << "only the namespace's backslash";
}

}  // namespace profile_lock
