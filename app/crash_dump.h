// A crash of the browser process leaves a minidump for the operator: the
// folder "crashes" beside the cache folder keeps the newest few, named with
// the time (UTC) and the client's version.
#ifndef VELMORA_APP_CRASH_DUMP_H_
#define VELMORA_APP_CRASH_DUMP_H_

#include <windows.h>

#include <string>

// How many dumps the crash folder keeps.
const int kKeptCrashDumps = 5;

// The folder "crashes" beside |cacheFolder| (with or without its trailing
// backslash), ending with a backslash. Start-up passes the cache folder that
// CEF is actually given.
std::wstring CrashFolderFor(const std::wstring& cacheFolder);

// "velmora-YYYYMMDD-HHMMSS-VERSION.dmp": names sort by time.
std::wstring CrashDumpName(const SYSTEMTIME& utc, const char* version);

// From now on an unhandled exception on any thread of this process writes
// a dump into |crashFolder| (made when needed) and ends the process with the
// exception's code. Call once, in the browser process.
void InstallCrashHandler(const std::wstring& crashFolder);

#endif  // VELMORA_APP_CRASH_DUMP_H_
