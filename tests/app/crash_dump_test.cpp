// Where crash dumps go and how they are named. How many stay, and what they
// hold, is tested end to end (tests/e2e/crash_dump_test.py).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
