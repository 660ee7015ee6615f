// Faults under velmora-assetd: a CDN that drops the connection mid-body,
// stalls or trickles, temporary files left by an earlier run, a read-only
// cache folder, a full disk. Each answer follows the failure
// table, nothing partial is cached, and the program stays up.
#include <sys/mount.h>

#include <signal.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "AssetdFixture.h"
#include "CurlFetch.h"

namespace {

// A mount made for one test and removed afterwards. As root a chmod does
// not stop writes, so a read-only folder needs a read-only mount.
class ScopedMount {
 public:
  static std::unique_ptr<ScopedMount> Tmpfs(const std::string& folder, const std::string& size, std::string* why) {
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, ("size=" + size).c_str()) != 0) {
      *why = std::strerror(errno);
      return nullptr;
    }
    return std::unique_ptr<ScopedMount>(new ScopedMount(folder));
  }
  static std::unique_ptr<ScopedMount> ReadOnlyBind(const std::string& folder, std::string* why) {
    if (mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0) {
      *why = std::strerror(errno);
      return nullptr;
    }
    std::unique_ptr<ScopedMount> bound(new ScopedMount(folder));
    if (mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
      *why = std::strerror(errno);
      return nullptr;
    }
    return bound;
  }
  ~ScopedMount() { umount2(m_folder.c_str(), MNT_DETACH); }

 private:
  explicit ScopedMount(std::string folder) : m_folder(std::move(folder)) {}
  std::string m_folder;
};

bool CachedOkStillServed(const AssetdProcess& assetd) {
  return CurlGet(assetd.Url("/ok.txt")).body == "ok";
}

TEST_F(AssetdTest, ACdnThatDropsMidBodyGivesThePartAsHtmlAndCachesNothing) {
  InCache("/ok.txt", "ok");
  std::string received = PatternBytes(300 * 1024);
  m_cdn.Serve("/pnox_cdn//img/cut.png",
              "HTTP/1.1 200 OK\r\nContent-Length: 1048576\r\nConnection: close\r\n\r\n" + received);
  StartAssetd();

  CurlAnswer answer = CurlGet(m_assetd->Url("/img/cut.png"));
  ASSERT_TRUE(answer.transferred);
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.contentType, "text/html");
  EXPECT_TRUE(answer.body == received) << answer.body.size();
  EXPECT_EQ(m_cache.FileCount(), 1u) << "only the file put there by the test";
  EXPECT_TRUE(m_assetd->Running());
  EXPECT_TRUE(CachedOkStillServed(*m_assetd));
}

// A CDN that accepts and then says nothing: the download is given up at
// the receive time-out (short here), the worker is free again, and a stop
// during such a download ends cleanly. Without the time-out the CDN would
// answer in full after 5 s, well within the stop's grace period.
TEST_F(AssetdTest, AStalledCdnIsGivenUpAndTheStopEndsCleanly) {
  InCache("/ok.txt", "ok");
  std::string full = PatternBytes(4096);
  auto silentFor5s = [full](const std::string&) {
    ScriptedResponse answer;
    answer.then = [full](ScriptedConnection& client) {
      if (!client.ClosedWithin(5000)) client.Send(HttpResponse("200 OK", full));
    };
    return answer;
  };
  m_cdn.Serve("/pnox_cdn//img/stalled.png", silentFor5s);
  m_cdn.Serve("/pnox_cdn//img/stalled-too.png", silentFor5s);
  StartAssetd({"--cdn-receive-timeout-ms", "1000", "--workers", "1"});

  CurlAnswer answer = CurlGet(m_assetd->Url("/img/stalled.png"));
  ASSERT_TRUE(answer.transferred);
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.contentType, "text/html");
  EXPECT_EQ(answer.body, "");
  EXPECT_TRUE(CachedOkStillServed(*m_assetd));

  CurlAnswer during;
  std::thread client([&] { during = CurlGet(m_assetd->Url("/img/stalled-too.png")); });
  for (int i = 0; i < 500 && m_cdn.RequestCount() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(m_cdn.RequestCount(), 2u);
  EXPECT_EQ(m_assetd->StopWith(SIGTERM), 0);
  client.join();
  EXPECT_EQ(during.contentType, "text/html");
  EXPECT_EQ(during.body, "");
  EXPECT_EQ(m_cache.FileCount(), 1u) << "only the file put there by the test";
}

// A CDN that sends a byte every 200 ms is never silent for the receive
// time-out, but the download limit ends it, and the only worker serves the
// next miss. Left alone, the trickle would take 6 s and be complete.
TEST_F(AssetdTest, ATricklingCdnIsCutAtTheDownloadLimitAndTheWorkerFreed) {
  m_cdn.Serve("/pnox_cdn//img/trickle.png", [](const std::string&) {
    ScriptedResponse answer{"HTTP/1.1 200 OK\r\nContent-Length: 30\r\nConnection: close\r\n\r\n"};
    answer.then = [](ScriptedConnection& client) {
      for (int i = 0; i < 30; ++i) {
        if (!client.Send("t") || client.ClosedWithin(200)) return;
      }
    };
    return answer;
  });
  OnCdn("/img/next.png", "NEXT");
  StartAssetd({"--cdn-receive-timeout-ms", "1000", "--cdn-download-timeout-ms", "1500", "--workers", "1"});

  CurlAnswer answer = CurlGet(m_assetd->Url("/img/trickle.png"));
  ASSERT_TRUE(answer.transferred);
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.contentType, "text/html");
  EXPECT_LT(answer.body.size(), 30u);
  CurlAnswer next = CurlGet(m_assetd->Url("/img/next.png"));
  EXPECT_EQ(next.contentType, "image/png");
  EXPECT_EQ(next.body, "NEXT");
  EXPECT_EQ(m_cache.FileCount(), 1u) << "only the second download";
}

// Temporary files of writes an earlier run never finished (it was killed,
// or the power went) are removed when the program starts; entries and
// other files stay.
TEST_F(AssetdTest, UnfinishedCacheFilesAreRemovedAtStart) {
  std::string name = Md5Hex("/img/a.png");
  InCache("/img/a.png", "PNGDATA");
  WriteFile(m_cache.File(name + ".tmp4242-0"), "PNG");
  WriteFile(m_cache.File(Md5Hex("/img/b.png") + ".tmp4242-1"), "");
  WriteFile(m_cache.File("readme.tmp1-1"), "not ours");
  StartAssetd();

  EXPECT_EQ(CurlGet(m_assetd->Url("/img/a.png")).body, "PNGDATA");
  EXPECT_FALSE(std::filesystem::exists(m_cache.File(name + ".tmp4242-0")));
  EXPECT_FALSE(std::filesystem::exists(m_cache.File(Md5Hex("/img/b.png") + ".tmp4242-1")));
  EXPECT_TRUE(std::filesystem::exists(m_cache.File("readme.tmp1-1")));
  EXPECT_EQ(m_cache.FileCount(), 2u);
}

TEST_F(AssetdTest, AReadOnlyCacheStillServesDownloadsAndDownloadsAgain) {
  InCache("/ok.txt", "ok");
  OnCdn("/img/a.png", "PNGDATA");
  std::string why;
  auto readOnly = ScopedMount::ReadOnlyBind(m_cache.Path().string(), &why);
  if (!readOnly) GTEST_SKIP() << "cannot make a read-only bind mount here (" << why << "); needs root";
  StartAssetd();

  for (int round = 0; round < 2; ++round) {
    CurlAnswer answer = CurlGet(m_assetd->Url("/img/a.png"));
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.contentType, "image/png");
    EXPECT_EQ(answer.body, "PNGDATA");
  }
  EXPECT_EQ(m_cdn.RequestCount(), 2u) << "nothing could be cached, so both requests download";
  EXPECT_EQ(m_cache.FileCount(), 1u);
  EXPECT_TRUE(CachedOkStillServed(*m_assetd));
}

TEST_F(AssetdTest, AFullDiskServesTheDownloadAndLeavesNoPartialFile) {
  TempDir mountPoint;
  std::string why;
  auto small = ScopedMount::Tmpfs(mountPoint.Path().string(), "1m", &why);
  if (!small) GTEST_SKIP() << "cannot mount a small tmpfs here (" << why << "); needs root";
  WriteFile(mountPoint.File(Md5Hex("/ok.txt")), "ok");
  std::string large = PatternBytes(2 * 1024 * 1024, 3);
  OnCdn("/pack/large.res", large);
  OnCdn("/pack/small.res", "small");
  StartAssetdOn(mountPoint.Path().string());

  CurlAnswer answer = CurlGet(m_assetd->Url("/pack/large.res"));
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.contentType, "text/plain; charset=utf-8");
  EXPECT_TRUE(answer.body == large);
  EXPECT_EQ(mountPoint.FileCount(), 1u) << "the cut-short file must be gone";

  // Space is there again for small files: they are cached as usual.
  EXPECT_EQ(CurlGet(m_assetd->Url("/pack/small.res")).body, "small");
  EXPECT_EQ(ReadFile(mountPoint.File(Md5Hex("/pack/small.res"))), "small");
  EXPECT_EQ(mountPoint.FileCount(), 2u);
  EXPECT_TRUE(CachedOkStillServed(*m_assetd));
  m_assetd.reset();  // before the mount goes
}

}  // namespace
