// velmora-assetd's limits: request size, idle time, connection cap, and a
// clean stop on SIGTERM and Ctrl+C (SIGINT).
#include <signal.h>

#include <memory>
#include <thread>
#include <vector>

#include "AssetdFixture.h"
#include "CurlFetch.h"
#include "RawClient.h"

namespace {

bool ServesNormally(int port) {
  std::string answer = FetchRaw(port, "GET /ok.txt HTTP/1.0\r\n\r\n");
  return answer.rfind("HTTP/1.0 200 OK\r\n", 0) == 0 && answer.size() > 2 &&
         answer.compare(answer.size() - 2, 2, "ok") == 0;
}

class AssetdLimitTest : public AssetdTest {
 protected:
  void SetUp() override { InCache("/ok.txt", "ok"); }
};

TEST_F(AssetdLimitTest, HeadersPast64KiBGet431AndAClose) {
  StartAssetd();
  RawClient client(Port());
  std::string header = "GET /ok.txt HTTP/1.1\r\nX-Filler: " + std::string(70 * 1024, 'f');
  ASSERT_TRUE(client.Send(header));  // no empty line yet, and never will be
  bool closed = false;
  std::string answer = client.ReadToEnd(&closed);
  EXPECT_EQ(answer.rfind("HTTP/1.0 431 Request Header Fields Too Large\r\n", 0), 0u) << answer.substr(0, 80);
  EXPECT_TRUE(closed);
  EXPECT_TRUE(ServesNormally(Port()));
}

TEST_F(AssetdLimitTest, AWholeRequestPast64KiBGets431Too) {
  StartAssetd();
  std::string answer = FetchRaw(Port(), Request("/ok.txt", "X-Filler: " + std::string(70 * 1024, 'f') + "\r\n"));
  EXPECT_EQ(answer.rfind("HTTP/1.0 431 Request Header Fields Too Large\r\n", 0), 0u) << answer.substr(0, 80);
  EXPECT_TRUE(ServesNormally(Port()));
}

TEST_F(AssetdLimitTest, HeadersJustUnder64KiBAreServed) {
  StartAssetd();
  std::string filler(60 * 1024, 'f');
  std::string answer = FetchRaw(Port(), Request("/ok.txt", "X-Filler: " + filler + "\r\n"));
  ExpectResponse(answer, "200 OK", "close", "text/plain", "ok");
}

TEST_F(AssetdLimitTest, TenMiBWithoutAnEmptyLineIsCutOffAndTheServerStaysUp) {
  StartAssetd();
  RawClient client(Port());
  std::string flood(10 * 1024 * 1024, 'A');
  client.Send(flood);  // may fail part-way once the server has had enough
  bool closed = false;
  std::string answer = client.ReadToEnd(&closed);
  EXPECT_TRUE(closed);
  EXPECT_TRUE(answer.empty() || answer.rfind("HTTP/1.0 431 ", 0) == 0) << answer.substr(0, 80);
  EXPECT_TRUE(m_assetd->Running());
  EXPECT_TRUE(ServesNormally(Port()));
}

TEST_F(AssetdLimitTest, SilentConnectionsAreClosedAfterTheIdleTimeout) {
  StartAssetd({"--idle-timeout-ms", "300"});
  RawClient silent(Port());
  RawClient halfway(Port());
  ASSERT_TRUE(halfway.Send("GET /ok.txt HTTP/1.1\r\nHost: x\r\n"));
  RawClient keptAlive(Port());
  ASSERT_TRUE(keptAlive.Send(Request("/ok.txt", "Connection: keep-alive\r\n")));
  ExpectResponse(keptAlive.ReadResponse(), "200 OK", "Keep-Alive", "text/plain", "ok");

  for (RawClient* client : {&silent, &halfway, &keptAlive}) {
    bool closed = false;
    EXPECT_EQ(client->ReadToEnd(&closed), "");  // the receive time-out is 10 s
    EXPECT_TRUE(closed);
  }
  EXPECT_TRUE(ServesNormally(Port()));
}

// Clients that send one byte at a time keep the idle timer from firing,
// but the request deadline still closes them, and the client waiting
// behind them in the backlog is served.
TEST_F(AssetdLimitTest, TricklingClientsAreClosedAtTheRequestDeadline) {
  StartAssetd({"--max-connections", "4", "--idle-timeout-ms", "3000", "--request-timeout-ms", "1000"});
  constexpr int kTricklers = 4;
  std::vector<std::unique_ptr<RawClient>> tricklers;
  for (int i = 0; i < kTricklers; ++i) tricklers.push_back(std::make_unique<RawClient>(Port()));
  bool closed[kTricklers] = {};
  std::vector<std::thread> threads;
  for (int i = 0; i < kTricklers; ++i) {
    threads.emplace_back([&, i] {
      // Twenty bytes 200 ms apart: 4 s, well past the deadline, never
      // silent as long as the idle time-out.
      const std::string request = "GET /ok.txt HTTP/1.1\r\nX: y";
      for (size_t sent = 0; sent < 20 && !closed[i]; ++sent) {
        if (!tricklers[i]->Send(std::string(1, request[sent % request.size()]))) closed[i] = true;
        if (!closed[i] && tricklers[i]->Readable(200)) closed[i] = true;
      }
    });
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  bool normalServed = ServesNormally(Port());  // waits in the backlog until a place is free
  for (std::thread& thread : threads) thread.join();
  for (int i = 0; i < kTricklers; ++i) EXPECT_TRUE(closed[i]) << "trickling client " << i << " was kept";
  EXPECT_TRUE(normalServed);
  for (auto& trickler : tricklers) {
    bool ended = false;
    EXPECT_EQ(trickler->ReadToEnd(&ended), "") << "a cut-off request gets no answer";
    EXPECT_TRUE(ended);
  }
}

TEST_F(AssetdLimitTest, ConnectionsBeyondTheCapWaitForAFreePlace) {
  StartAssetd({"--max-connections", "2"});
  RawClient first(Port());
  RawClient second(Port());
  for (RawClient* client : {&first, &second}) {
    ASSERT_TRUE(client->Send(Request("/ok.txt", "Connection: keep-alive\r\n")));
    ExpectResponse(client->ReadResponse(), "200 OK", "Keep-Alive", "text/plain", "ok");
  }
  RawClient third(Port());  // the kernel completes the handshake, the server does not accept
  ASSERT_TRUE(third.Send(Request("/ok.txt")));
  EXPECT_FALSE(third.Readable(500)) << "a third connection was served past the cap of 2";

  first.Close();
  ExpectResponse(third.ReadResponse(), "200 OK", "close", "text/plain", "ok");
}

TEST_F(AssetdLimitTest, SigtermStopsCleanlyAndClosesIdleConnections) {
  StartAssetd();
  RawClient idle(Port());
  ASSERT_TRUE(idle.Send(Request("/ok.txt", "Connection: keep-alive\r\n")));
  ExpectResponse(idle.ReadResponse(), "200 OK", "Keep-Alive", "text/plain", "ok");
  EXPECT_EQ(m_assetd->StopWith(SIGTERM), 0);
  bool closed = false;
  EXPECT_EQ(idle.ReadToEnd(&closed), "");
  EXPECT_TRUE(closed);
  RawClient late(Port());
  EXPECT_FALSE(late.Connected()) << "nothing listens after the stop";
}

TEST_F(AssetdLimitTest, CtrlCLetsADownloadUnderWayFinishFirst) {
  std::string body = PatternBytes(256 * 1024);
  OnCdn("/slow.bin", body, 800);
  StartAssetd();
  CurlAnswer answer;
  std::thread client([&] { answer = CurlGet(m_assetd->Url("/slow.bin")); });
  // Wait until the download is under way, then interrupt.
  for (int i = 0; i < 500 && m_cdn.RequestCount() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(m_cdn.RequestCount(), 1u);
  EXPECT_EQ(m_assetd->StopWith(SIGINT), 0);
  client.join();
  EXPECT_TRUE(answer.transferred);
  EXPECT_EQ(answer.contentType, "application/octet-stream");
  EXPECT_EQ(answer.body, body);
}

}  // namespace
