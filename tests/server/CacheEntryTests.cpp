// How cache entries come to be: one download per name however many
// requests miss it at once, a file flushed to the disk before it takes the
// entry's name, and the temporary files of interrupted writes cleared.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "CacheFile.h"
#include "HTTPServer.h"
#include "LoopbackHttpServer.h"
#include "Md5.h"
#include "OutBuf.h"
#include "TestSupport.h"

namespace {

std::string Answer(CHTTPServer& server, const std::string& request) {
  COutBuf out;
  int32_t keepAlive = 0;
  EXPECT_TRUE(server.ProcessRequest(request, &out, &keepAlive));
  return std::string(out.GetData(), static_cast<size_t>(out.GetLength()));
}

// Eight requests for an asset and eight for a missing page, all while the
// CDN holds its answers back: two downloads in all, and every request is
// answered from the one for its name, the failure row (the CDN's status and
// error page, "text/html", nothing cached) included.
TEST(SharedDownload, ConcurrentMissesMakeOneDownloadPerNameAndShareItsOutcome) {
  LoopbackHttpServer cdn;
  TempDir cache;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::string asset;
  for (int i = 0; i < 200000; ++i) asset += static_cast<char>('a' + i % 23);
  const std::string page = "<html>gone</html>";
  auto held = [released](std::string raw) {
    return [released, raw](const std::string&) {
      released.wait_for(std::chrono::seconds(20));
      return ScriptedResponse{raw};
    };
  };
  cdn.Serve("/pnox_cdn//shared.res", held(HttpResponse("200 OK", asset)));
  cdn.Serve("/pnox_cdn//gone.png", held(HttpResponse("404 Not Found", page)));
  CHTTPServer server(cdn.BaseUrl() + "/pnox_cdn/", cache.Prefix());

  constexpr int kEach = 8;
  std::vector<std::string> answers(2 * kEach);
  std::vector<std::thread> requests;
  for (int i = 0; i < 2 * kEach; ++i) {
    std::string path = i < kEach ? "/shared.res" : "/gone.png";
    requests.emplace_back([&, i, path] { answers[i] = Answer(server, "GET " + path + " HTTP/1.0\r\n\r\n"); });
  }
  // Both downloads are under way; give the other requests time to join
  // them before the CDN answers.
  for (int i = 0; i < 1000 && cdn.RequestCount() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::seconds(1));
  release.set_value();
  for (std::thread& request : requests) request.join();

  for (int i = 0; i < 2 * kEach; ++i) {
    SCOPED_TRACE(i);
    if (i < kEach) {
      ExpectResponse(answers[i], "200 OK", "close", "text/plain; charset=utf-8", asset);
    } else {
      ExpectResponse(answers[i], "404 Not Found", "close", "text/html", page);
    }
  }
  EXPECT_EQ(cdn.RequestCount(), 2u);
  EXPECT_EQ(cache.FileCount(), 1u);
  EXPECT_TRUE(ReadFile(cache.File(Md5Hex("/shared.res"))) == asset);
}

// The steps of writing a cache file, as the responder takes them.
std::mutex g_stepsLock;
std::vector<std::string> g_steps;
CacheFileSteps g_realSteps;

class CacheWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_realSteps = CacheFileStepsInUse();
    g_steps.clear();
    CacheFileStepsInUse().flushToDisk = [](std::FILE* file) {
      std::lock_guard<std::mutex> hold(g_stepsLock);
      g_steps.push_back("flush");
      return g_realSteps.flushToDisk(file);
    };
    CacheFileStepsInUse().rename = [](const std::string& from, const std::string& to) {
      std::lock_guard<std::mutex> hold(g_stepsLock);
      g_steps.push_back("rename " + std::filesystem::path(from).filename().string() + " (" +
                        std::to_string(ReadFile(from).size()) + " bytes) to " +
                        std::filesystem::path(to).filename().string());
      return g_realSteps.rename(from, to);
    };
  }
  void TearDown() override { CacheFileStepsInUse() = g_realSteps; }

  LoopbackHttpServer m_cdn;
  TempDir m_cache;
};

// So that a power cut cannot leave an empty or short file as a valid entry
// for good.
TEST_F(CacheWriteTest, TheFileIsFlushedToTheDiskBeforeItTakesTheEntrysName) {
  m_cdn.Serve("/pnox_cdn//img/a.png", HttpResponse("200 OK", "PNGDATA"));
  CHTTPServer server(m_cdn.BaseUrl() + "/pnox_cdn/", m_cache.Prefix());
  ExpectResponse(Answer(server, "GET /img/a.png HTTP/1.0\r\n\r\n"), "200 OK", "close", "image/png", "PNGDATA");

  std::string name = Md5Hex("/img/a.png");
  ASSERT_EQ(g_steps.size(), 2u);
  EXPECT_EQ(g_steps[0], "flush");
  EXPECT_TRUE(std::regex_match(g_steps[1], std::regex("rename " + name + "\\.tmp[0-9]+-[0-9]+ \\(7 bytes\\) to " + name)))
      << g_steps[1];
  EXPECT_EQ(ReadFile(m_cache.File(name)), "PNGDATA");
  EXPECT_EQ(m_cache.FileCount(), 1u);
}

TEST_F(CacheWriteTest, AFileThatCannotBeFlushedNeverBecomesAnEntry) {
  CacheFileStepsInUse().flushToDisk = [](std::FILE*) { return false; };
  m_cdn.Serve("/pnox_cdn//img/b.png", HttpResponse("200 OK", "B"));
  CHTTPServer server(m_cdn.BaseUrl() + "/pnox_cdn/", m_cache.Prefix());
  ExpectResponse(Answer(server, "GET /img/b.png HTTP/1.0\r\n\r\n"), "200 OK", "close", "image/png", "B");
  EXPECT_TRUE(g_steps.empty()) << g_steps[0];
  EXPECT_EQ(m_cache.FileCount(), 0u) << "neither the entry nor its temporary file";
}

// Only the names the responder gives its temporary files are removed.
TEST(UnfinishedCacheFiles, OnlyTemporaryFilesOfInterruptedWritesAreRemoved) {
  TempDir cache;
  std::string name = Md5Hex("/img/a.png");
  const std::vector<std::string> unfinished = {name + ".tmp123-0", name + ".tmp4-17"};
  const std::vector<std::string> kept = {name,           name + ".tmp",         name + ".tmp12-",
                                         name + ".tmp-3", name + ".tmp1-2x",     "notes.tmp1-2",
                                         "A" + name.substr(1) + ".tmp1-2", name.substr(1) + ".tmp1-2"};
  for (const std::string& file : unfinished) WriteFile(cache.File(file), "part");
  for (const std::string& file : kept) WriteFile(cache.File(file), "keep");
  std::filesystem::create_directory(cache.File(name + ".tmp9-9"));

  EXPECT_EQ(RemoveUnfinishedCacheFiles(cache.Prefix()), unfinished.size());
  for (const std::string& file : unfinished) EXPECT_FALSE(std::filesystem::exists(cache.File(file))) << file;
  for (const std::string& file : kept) EXPECT_TRUE(std::filesystem::exists(cache.File(file))) << file;
  EXPECT_TRUE(std::filesystem::is_directory(cache.File(name + ".tmp9-9")));
  EXPECT_EQ(RemoveUnfinishedCacheFiles(cache.File("missing") + "/"), 0u);
}

}  // namespace
