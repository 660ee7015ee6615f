#pragma once
// Runs velmora-assetd as a child process for a test: on a free loopback
// port, with its output kept in files, stopped by a signal.

#include <string>
#include <vector>

#include "TestSupport.h"

class AssetdProcess {
 public:
  // Starts the program with `--cache cacheFolder --cdn cdnBaseUrl --port 0`
  // and the extra arguments, and waits until it listens.
  AssetdProcess(const std::string& cacheFolder, const std::string& cdnBaseUrl,
                const std::vector<std::string>& extraArguments = {});
  ~AssetdProcess();
  AssetdProcess(const AssetdProcess&) = delete;
  AssetdProcess& operator=(const AssetdProcess&) = delete;

  bool Started() const { return m_port > 0; }
  int Port() const { return m_port; }
  std::string Url(const std::string& path) const;

  bool Running();
  // Sends the signal and waits (bounded) for the exit; the exit code, or
  // -1 when it did not end in time or ended by a signal.
  int StopWith(int signalNumber);
  std::string Stdout() const;
  std::string Stderr() const;

  // Runs the program to its end with these arguments alone; the exit code.
  static int RunToExit(const std::vector<std::string>& arguments, std::string* output);
  static std::string ProgramPath();

 private:
  TempDir m_workDir;
  int m_pid = -1;
  int m_port = 0;
};
