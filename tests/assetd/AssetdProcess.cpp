#include "AssetdProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int Spawn(const std::vector<std::string>& arguments, const std::string& outPath, const std::string& errPath) {
  std::vector<std::string> all = {AssetdProcess::ProgramPath()};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : all) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed == 0 ? pid : -1;
}

// The exit code, or -1 when the process is still there after `limit`.
int WaitForExit(int pid, std::chrono::milliseconds limit) {
  auto deadline = Clock::now() + limit;
  for (;;) {
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (done < 0 || Clock::now() > deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

std::string AssetdProcess::ProgramPath() {
  char self[PATH_MAX] = {};
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  std::string folder(self, length > 0 ? static_cast<size_t>(length) : 0);
  return folder.substr(0, folder.rfind('/') + 1) + "velmora-assetd";
}

AssetdProcess::AssetdProcess(const std::string& cacheFolder, const std::string& cdnBaseUrl,
                             const std::vector<std::string>& extraArguments) {
  std::string portFile = m_workDir.File("port");
  std::vector<std::string> arguments = {"--cache", cacheFolder, "--cdn", cdnBaseUrl, "--port", "0",
                                        "--port-file", portFile};
  arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
  m_pid = Spawn(arguments, m_workDir.File("stdout"), m_workDir.File("stderr"));
  if (m_pid < 0) return;
  auto deadline = Clock::now() + std::chrono::seconds(10);
  while (Clock::now() < deadline && Running()) {
    std::string text = ReadFile(portFile);
    if (!text.empty()) {
      m_port = std::atoi(text.c_str());
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

AssetdProcess::~AssetdProcess() {
  if (m_pid > 0 && Running()) {
    kill(m_pid, SIGKILL);
    WaitForExit(m_pid, std::chrono::seconds(5));
  }
}

std::string AssetdProcess::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

bool AssetdProcess::Running() {
  if (m_pid <= 0) return false;
  int status = 0;
  pid_t done = waitpid(m_pid, &status, WNOHANG);
  if (done == 0) return true;
  m_pid = -1;
  return false;
}

int AssetdProcess::StopWith(int signalNumber) {
  if (m_pid <= 0) return -1;
  kill(m_pid, signalNumber);
  int code = WaitForExit(m_pid, std::chrono::seconds(15));
  if (code != -1 || !Running()) m_pid = -1;
  return code;
}

std::string AssetdProcess::Stdout() const { return ReadFile(m_workDir.File("stdout")); }
std::string AssetdProcess::Stderr() const { return ReadFile(m_workDir.File("stderr")); }

int AssetdProcess::RunToExit(const std::vector<std::string>& arguments, std::string* output) {
  TempDir work;
  int pid = Spawn(arguments, work.File("stdout"), work.File("stderr"));
  if (pid < 0) return -1;
  int code = WaitForExit(pid, std::chrono::seconds(10));
  if (code == -1) {
    kill(pid, SIGKILL);
    WaitForExit(pid, std::chrono::seconds(5));
  }
  *output = ReadFile(work.File("stdout")) + ReadFile(work.File("stderr"));
  return code;
}
