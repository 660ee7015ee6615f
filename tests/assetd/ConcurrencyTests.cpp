// 64 clients at once ask for the same missing 8 MiB asset from a slow CDN:
// one download serves them all.
#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "AssetdFixture.h"
#include "CurlFetch.h"

namespace {

TEST_F(AssetdTest, SixtyFourClientsGetTheWholeAssetAndTheCacheOneWholeFile) {
  const std::string path = "/pack/big.res";
  const std::string asset = PatternBytes(8 * 1024 * 1024, 7);
  OnCdn(path, asset, 300);  // half the body, a pause, then the rest
  StartAssetd({"--workers", "16"});

  constexpr int kClients = 64;
  std::vector<CurlAnswer> answers(kClients);
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i) {
    clients.emplace_back([&, i] { answers[i] = CurlGet(m_assetd->Url(path)); });
  }
  for (std::thread& client : clients) client.join();

  // With 16 workers the later requests start while earlier downloads are
  // being written to the cache: none of them may see part of a file.
  for (int i = 0; i < kClients; ++i) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(answers[i].transferred);
    EXPECT_EQ(answers[i].status, 200);
    EXPECT_EQ(answers[i].contentType, "text/plain; charset=utf-8");
    EXPECT_EQ(answers[i].body.size(), asset.size());
    EXPECT_TRUE(answers[i].body == asset);
  }
  EXPECT_EQ(m_cache.FileCount(), 1u) << "one cache file, no temporary left behind";
  EXPECT_TRUE(ReadFile(m_cache.File(Md5Hex(path))) == asset);
  // Requests that came while it downloaded waited for it; those after it
  // found the cache file.
  EXPECT_EQ(m_cdn.RequestCount(), 1u) << "one download for all 64 requests";
  EXPECT_TRUE(m_assetd->Running());
}

TEST_F(AssetdTest, ADownloadUnderWayDoesNotHoldUpCachedAnswers) {
  InCache("/ok.txt", "ok");
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::string held = HttpResponse("200 OK", "late");
  m_cdn.Serve("/pnox_cdn//held.res", [released, held](const std::string&) {
    released.wait_for(std::chrono::seconds(20));
    return ScriptedResponse{held};
  });
  StartAssetd({"--workers", "1"});

  CurlAnswer slow;
  std::atomic<bool> slowDone{false};
  std::thread downloader([&] {
    slow = CurlGet(m_assetd->Url("/held.res"));
    slowDone = true;
  });
  for (int i = 0; i < 500 && m_cdn.RequestCount() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(m_cdn.RequestCount(), 1u);

  // The only worker is stuck in the download; cached answers still flow.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(CurlGet(m_assetd->Url("/ok.txt")).body, "ok");
  EXPECT_FALSE(slowDone) << "the cached answers waited for the download";
  release.set_value();
  downloader.join();
  EXPECT_EQ(slow.body, "late");
}

}  // namespace
