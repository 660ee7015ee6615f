// The real CEF runtime beside the executables: the library loads under Wine
// and reports the API revision our declarations are written for.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "include/cef_app.h"

namespace {

TEST(CefRuntime, LibcefLoadsWithTheExpectedApiHash) {
  HMODULE lib = LoadLibraryW(L"libcef.dll");
  ASSERT_NE(lib, nullptr) << "libcef.dll missing: run scripts/setup.d/cef-runtime.sh";
  typedef const char* (*ApiHash)(int);
  auto hash = reinterpret_cast<ApiHash>(reinterpret_cast<void*>(GetProcAddress(lib, "cef_api_hash")));
  ASSERT_NE(hash, nullptr);
  EXPECT_STREQ(hash(0), "64b27477b82b44b51ce817522f744fca6768cbbb");
}

TEST(CefRuntime, ResourcesLieBesideTheExecutable) {
  for (const wchar_t* file : {L"icudtl.dat", L"cef.pak", L"natives_blob.bin",
                              L"snapshot_blob.bin", L"locales\\zh-CN.pak"}) {
    EXPECT_NE(GetFileAttributesW(file), INVALID_FILE_ATTRIBUTES) << CefString(file).ToString();
  }
}

TEST(CefRuntime, BrowserProcessIsToldToGoOn) {
  // No --type switch: this is a browser process, which CEF answers with -1.
  CefMainArgs args(GetModuleHandleW(nullptr));
  EXPECT_EQ(CefExecuteProcess(args, nullptr, nullptr), -1);
}

}  // namespace
