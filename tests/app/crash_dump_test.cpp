// Where crash dumps go, how they are named and how many stay, against the
// real kernel32 under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/crash_dump.h"

namespace {

TEST(CrashFolderFor, IsBesideTheCacheFolder) {
  EXPECT_EQ(CrashFolderFor(L"C:\\Games\\Velmora\\cache\\"), L"C:\\Games\\Velmora\\crashes\\");
  EXPECT_EQ(CrashFolderFor(L"C:\\Games\\Velmora\\cache"), L"C:\\Games\\Velmora\\crashes\\");
  // A working folder at a drive root gives the cache two backslashes in a row.
  EXPECT_EQ(CrashFolderFor(L"C:\\\\cache\\"), L"C:\\\\crashes\\");
  EXPECT_EQ(CrashFolderFor(L"C:\\Users\\J\u00fcrgen\\AppData\\Local\\Velmora \u03a9\\cache\\"),
            L"C:\\Users\\J\u00fcrgen\\AppData\\Local\\Velmora \u03a9\\crashes\\");
}

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME time = {};
  time.wYear = year;
  time.wMonth = month;
  time.wDay = day;
  time.wHour = hour;
  time.wMinute = minute;
  time.wSecond = second;
  return time;
}

TEST(CrashDumpName, CarriesTheTimeAndTheVersionAndSortsByTime) {
  EXPECT_EQ(CrashDumpName(Time(2026, 1, 5, 9, 3, 7), "1.2.10"), L"velmora-20260105-090307-1.2.10.dmp");
  EXPECT_LT(CrashDumpName(Time(2025, 12, 31, 23, 59, 59), "1.10.0"), CrashDumpName(Time(2026, 1, 1, 0, 0, 0), "1.9.0"));
}

class KeepNewestCrashDumpsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder = std::wstring(temp) + L"velmora-crash-dumps-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  }
  void TearDown() override {
    for (const std::wstring& name : Files()) DeleteFileW((folder + name).c_str());
    RemoveDirectoryW(folder.c_str());
  }
  void Make(const std::wstring& name) {
    HANDLE file = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  std::vector<std::wstring> Files() {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
  }
  std::wstring folder;
};

TEST_F(KeepNewestCrashDumpsTest, DeletesTheOldestDumpsOnly) {
  for (int day = 1; day <= 7; ++day) Make(CrashDumpName(Time(2026, 2, day, 12, 0, 0), "1.0.0"));
  Make(L"notes.txt");
  Make(L"other-20200101.dmp");
  KeepNewestCrashDumps(folder.c_str(), 5);
  std::vector<std::wstring> expected = {L"notes.txt", L"other-20200101.dmp"};
  for (int day = 3; day <= 7; ++day) expected.push_back(CrashDumpName(Time(2026, 2, day, 12, 0, 0), "1.0.0"));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Files(), expected);

  KeepNewestCrashDumps(folder.c_str(), 5);  // nothing more to do
  EXPECT_EQ(Files(), expected);
}

}  // namespace
