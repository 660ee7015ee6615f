// velmora-assetd.exe under Wine: served to WinINet and to plain Winsock,
// keep-alive, the 64 KiB request limit and a download through it. The stop
// on Ctrl+C is checked from outside Wine by wine-ctrl-c.sh.
#include <winsock2.h>
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>

#include "LoopbackHttpServer.h"
#include "Md5.h"
#include "TestSupport.h"

namespace {

std::string ProgramFolder() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  return path.substr(0, path.find_last_of("\\/") + 1);
}

class AssetdExe {
 public:
  AssetdExe(const std::string& cache, const std::string& cdnBase, const std::string& extraArguments = "") {
    std::string portFile = m_work.File("port");
    std::string command = "\"" + ProgramFolder() + "velmora-assetd.exe\" --cache \"" + cache + "\" --cdn " + cdnBase +
                          " --port 0 --port-file \"" + portFile + "\" " + extraArguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &m_process)) {
      return;
    }
    for (int i = 0; i < 1000 && m_port == 0; ++i) {
      if (WaitForSingleObject(m_process.hProcess, 10) == WAIT_OBJECT_0) break;
      m_port = std::atoi(ReadFile(portFile).c_str());
    }
  }
  ~AssetdExe() {
    if (m_process.hProcess == nullptr) return;
    if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_process.hProcess, 9);
    WaitForSingleObject(m_process.hProcess, 5000);
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
  }
  int Port() const { return m_port; }
 private:
  TempDir m_work;
  PROCESS_INFORMATION m_process{};
  int m_port = 0;
};

// A GET through WinINet, the client the game's own process uses.
std::string WinInetGet(const std::string& url, DWORD* status) {
  std::string body;
  HINTERNET session = InternetOpenA("velmora-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET request = InternetOpenUrlA(session, url.c_str(), nullptr, 0,
                                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
  if (request != nullptr) {
    DWORD length = sizeof *status;
    HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, status, &length, nullptr);
    char piece[16384];
    DWORD got = 0;
    while (InternetReadFile(request, piece, sizeof piece, &got) && got > 0) body.append(piece, got);
    InternetCloseHandle(request);
  }
  InternetCloseHandle(session);
  return body;
}

class WinsockClient {
 public:
  explicit WinsockClient(int port) {
    m_socket = socket(AF_INET, SOCK_STREAM, 0);
    DWORD timeout = 10000;
    setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
  }
  ~WinsockClient() { closesocket(m_socket); }
  SOCKET Socket() const { return m_socket; }
  bool Send(const std::string& bytes) {
    return send(m_socket, bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
  }
  // Whether the peer closed (or reset) the connection within `ms`.
  bool ClosedWithin(int ms) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_socket, &readable);
    timeval wait{ms / 1000, (ms % 1000) * 1000};
    if (select(0, &readable, nullptr, nullptr, &wait) <= 0) return false;
    char byte;
    return recv(m_socket, &byte, 1, 0) <= 0;
  }
  // Reads until `count` responses (each ending in its body "ok") or the end.
  std::string Read(size_t count) {
    std::string all;
    char buffer[4096];
    while (Responses(all) < count) {
      int got = recv(m_socket, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      all.append(buffer, static_cast<size_t>(got));
    }
    return all;
  }
  static size_t Responses(const std::string& text) {
    size_t count = 0;
    for (size_t at = text.find("\r\n\r\nok"); at != std::string::npos; at = text.find("\r\n\r\nok", at + 1)) ++count;
    return count;
  }

 private:
  SOCKET m_socket;
};

class WindowsAssetdTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(m_cache.File(Md5Hex("/ok.txt")), "ok");
    // Left by a write an earlier run never finished: gone once it starts.
    WriteFile(m_cache.File(Md5Hex("/pack/d.res") + ".tmp77-3"), "ddd");
    std::string body(100000, 'd');
    m_cdn.Serve("/pnox_cdn//pack/d.res", HttpResponse("200 OK", body));
    m_assetd.reset(new AssetdExe(m_cache.Path().string(), m_cdn.BaseUrl() + "/pnox_cdn/"));
    ASSERT_GT(m_assetd->Port(), 0) << "velmora-assetd.exe did not start";
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_assetd->Port()) + path;
  }

  TempDir m_cache;
  LoopbackHttpServer m_cdn;
  std::unique_ptr<AssetdExe> m_assetd;
};

TEST_F(WindowsAssetdTest, ServesCachedAndDownloadedAssetsToWinInet) {
  DWORD status = 0;
  EXPECT_EQ(WinInetGet(Url("/ok.txt"), &status), "ok");
  EXPECT_EQ(status, 200u);
  EXPECT_EQ(WinInetGet(Url("/pack/d.res"), &status), std::string(100000, 'd'));
  EXPECT_EQ(ReadFile(m_cache.File(Md5Hex("/pack/d.res"))), std::string(100000, 'd'));
  EXPECT_EQ(m_cache.FileCount(), 2u) << "the unfinished file removed, no other left";
}

TEST_F(WindowsAssetdTest, KeepsAliveAndRefusesOversizedHeaders) {
  WinsockClient keptAlive(m_assetd->Port());
  keptAlive.Send("GET /ok.txt HTTP/1.1\r\nConnection: keep-alive\r\n\r\n");
  EXPECT_EQ(WinsockClient::Responses(keptAlive.Read(1)), 1u);
  keptAlive.Send("GET /ok.txt HTTP/1.1\r\n\r\n");
  std::string second = keptAlive.Read(1);
  EXPECT_NE(second.find("Connection: close\r\n"), std::string::npos) << second;

  WinsockClient oversized(m_assetd->Port());
  oversized.Send("GET /ok.txt HTTP/1.1\r\nX: " + std::string(70 * 1024, 'x'));
  std::string answer = oversized.Read(1);
  EXPECT_EQ(answer.rfind("HTTP/1.0 431 ", 0), 0u) << answer.substr(0, 60);
}

// Clients that trickle a byte every 200 ms never fall silent for the idle
// time-out, but the request deadline closes them, and a client waiting
// behind them is served.
TEST(WindowsAssetdLimits, TricklingClientsAreClosedAtTheRequestDeadline) {
  TempDir cache;
  WriteFile(cache.File(Md5Hex("/ok.txt")), "ok");
  LoopbackHttpServer cdn;
  AssetdExe assetd(cache.Path().string(), cdn.BaseUrl() + "/pnox_cdn/",
                   "--max-connections 2 --idle-timeout-ms 3000 --request-timeout-ms 1000");
  ASSERT_GT(assetd.Port(), 0) << "velmora-assetd.exe did not start";
  WinsockClient first(assetd.Port());
  WinsockClient second(assetd.Port());
  const std::string request = "GET /ok.txt HTTP/1.1\r\nX: y";
  bool closed[2] = {false, false};
  WinsockClient* tricklers[2] = {&first, &second};
  for (size_t sent = 0; sent < 20 && !(closed[0] && closed[1]); ++sent) {  // 4 s at most
    for (int i = 0; i < 2; ++i) {
      if (closed[i]) continue;
      if (!tricklers[i]->Send(std::string(1, request[sent % request.size()])) || tricklers[i]->ClosedWithin(100)) {
        closed[i] = true;
      }
    }
  }
  EXPECT_TRUE(closed[0]);
  EXPECT_TRUE(closed[1]);
  DWORD status = 0;
  EXPECT_EQ(WinInetGet("http://127.0.0.1:" + std::to_string(assetd.Port()) + "/ok.txt", &status), "ok");
  EXPECT_EQ(status, 200u);
}

// Downloads through Wine's WinINet end by their deadlines: a CDN silent
// after the request at the receive time-out, one that trickles a byte every
// 200 ms at the download limit. Left alone, each would be complete after
// 4 to 6 s. The only worker is free again for a cached answer.
TEST(WindowsAssetdLimits, StalledAndTricklingDownloadsEndByTheirDeadlines) {
  TempDir cache;
  WriteFile(cache.File(Md5Hex("/ok.txt")), "ok");
  LoopbackHttpServer cdn;
  cdn.Serve("/pnox_cdn//silent.png", [](const std::string&) {
    ScriptedResponse answer;
    answer.then = [](ScriptedConnection& client) {
      if (!client.ClosedWithin(4000)) client.Send(HttpResponse("200 OK", "late"));
    };
    return answer;
  });
  cdn.Serve("/pnox_cdn//trickle.png", [](const std::string&) {
    ScriptedResponse answer{"HTTP/1.1 200 OK\r\nContent-Length: 30\r\nConnection: close\r\n\r\n"};
    answer.then = [](ScriptedConnection& client) {
      for (int i = 0; i < 30; ++i) {
        if (!client.Send("t") || client.ClosedWithin(200)) return;
      }
    };
    return answer;
  });
  AssetdExe assetd(cache.Path().string(), cdn.BaseUrl() + "/pnox_cdn/",
                   "--workers 1 --cdn-receive-timeout-ms 1000 --cdn-download-timeout-ms 1500");
  ASSERT_GT(assetd.Port(), 0) << "velmora-assetd.exe did not start";
  std::string base = "http://127.0.0.1:" + std::to_string(assetd.Port());
  for (const char* path : {"/silent.png", "/trickle.png"}) {
    WinsockClient client(assetd.Port());
    client.Send(std::string("GET ") + path + " HTTP/1.0\r\n\r\n");
    std::string answer;
    char buffer[4096];
    for (int got; (got = recv(client.Socket(), buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, got);
    ParsedResponse parsed = ParseResponse(answer);
    ASSERT_TRUE(parsed.wellFormed) << path << ": " << answer;
    EXPECT_EQ(parsed.statusLine, "HTTP/1.0 200 OK") << path;
    ASSERT_EQ(parsed.headerLines.size(), 6u) << path;
    EXPECT_EQ(parsed.headerLines[5], "Content-Type: text/html") << path;
    EXPECT_LT(parsed.body.size(), 30u) << path;
  }
  DWORD status = 0;
  EXPECT_EQ(WinInetGet(base + "/ok.txt", &status), "ok");
  EXPECT_EQ(cache.FileCount(), 1u);
}

}  // namespace
