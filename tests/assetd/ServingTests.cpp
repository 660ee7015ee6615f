// velmora-assetd under real clients: answers, keep-alive, the --verbose
// summary and the command line.
#include <signal.h>

#include <cstdio>

#include "AssetdFixture.h"
#include "CurlFetch.h"
#include "Options.h"
#include "RawClient.h"

namespace {

TEST_F(AssetdTest, ServesCachedAndDownloadedAssetsToLibcurl) {
  InCache("/img/a.png", std::string("\x89PNG\0cached", 12));
  OnCdn("/snd/b.mp3", PatternBytes(300000));
  StartAssetd();

  CurlAnswer cached = CurlGet(m_assetd->Url("/img/a.png"));
  ASSERT_TRUE(cached.transferred);
  EXPECT_EQ(cached.status, 200);
  EXPECT_EQ(cached.contentType, "image/png");
  EXPECT_EQ(cached.body, std::string("\x89PNG\0cached", 12));

  CurlAnswer downloaded = CurlGet(m_assetd->Url("/snd/b.mp3"));
  ASSERT_TRUE(downloaded.transferred);
  EXPECT_EQ(downloaded.contentType, "audio/mpeg");
  EXPECT_EQ(downloaded.body, PatternBytes(300000));
  EXPECT_EQ(ReadFile(m_cache.File(Md5Hex("/snd/b.mp3"))), PatternBytes(300000));

  CurlAnswer again = CurlGet(m_assetd->Url("/snd/b.mp3"));
  EXPECT_EQ(again.body, PatternBytes(300000));
  EXPECT_EQ(m_cdn.RequestCount(), 1u) << "the second answer comes from the cache";
}

TEST_F(AssetdTest, ServesTheCurlCommandLineClient) {
  InCache("/data/x.xml", "<x/>");
  StartAssetd();
  std::string command = "curl -s -i --max-time 20 '" + m_assetd->Url("/data/x.xml") + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[4096];
  while (size_t got = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, got);
  ASSERT_EQ(pclose(pipe), 0) << "curl must be installed (scripts/setup.d/assetd.sh)";
  ExpectResponse(output, "200 OK", "close", "text/xml; charset=UTF-8", "<x/>");
}

TEST_F(AssetdTest, KeepsTheConnectionOpenOnlyWhenAskedTo) {
  InCache("/a.txt", "first");
  InCache("/b.txt", "second");
  StartAssetd();

  RawClient client(Port());
  ASSERT_TRUE(client.Send(Request("/a.txt", "Connection: keep-alive\r\n")));
  ExpectResponse(client.ReadResponse(), "200 OK", "Keep-Alive", "text/plain", "first");
  // The flag starts at 0 again for the next request on the same connection.
  ASSERT_TRUE(client.Send(Request("/b.txt")));
  ExpectResponse(client.ReadResponse(), "200 OK", "close", "text/plain", "second");
  bool closed = false;
  EXPECT_EQ(client.ReadToEnd(&closed), "");
  EXPECT_TRUE(closed);

  // A header in another capitalisation is not the keep-alive marker.
  RawClient other(Port());
  ASSERT_TRUE(other.Send(Request("/a.txt", "Connection: Keep-Alive\r\n")));
  ExpectResponse(other.ReadResponse(), "200 OK", "close", "text/plain", "first");
  EXPECT_EQ(other.ReadToEnd(&closed), "");
  EXPECT_TRUE(closed);
}

TEST_F(AssetdTest, LibcurlReusesAKeptAliveConnection) {
  InCache("/a.txt", "first");
  StartAssetd();
  CurlFetcher fetcher;
  CurlAnswer first = fetcher.Get(m_assetd->Url("/a.txt"), true);
  CurlAnswer second = fetcher.Get(m_assetd->Url("/a.txt"), true);
  EXPECT_EQ(first.body, "first");
  EXPECT_EQ(second.body, "first");
  EXPECT_EQ(first.connectionsMade, 1);
  EXPECT_EQ(second.connectionsMade, 0);
}

TEST_F(AssetdTest, AnswersPipelinedRequestsInOrder) {
  InCache("/a.txt", "first");
  InCache("/b.txt", "second");
  StartAssetd();
  RawClient client(Port());
  ASSERT_TRUE(client.Send(Request("/a.txt", "Connection: keep-alive\r\n") + Request("/b.txt")));
  ExpectResponse(client.ReadResponse(), "200 OK", "Keep-Alive", "text/plain", "first");
  ExpectResponse(client.ReadResponse(), "200 OK", "close", "text/plain", "second");
}

TEST_F(AssetdTest, OtherMethodsGetTheNotImplementedPage) {
  InCache("/mna.html", "<p>no</p>");
  StartAssetd();
  ExpectResponse(FetchRaw(Port(), "POST /x.png HTTP/1.0\r\n\r\n"), "501 Not Implemented", "close", "text/html",
                 "<p>no</p>");
}

TEST_F(AssetdTest, ARequestTheResponderRefusesGetsBadRequestAndAClose) {
  StartAssetd();
  std::string answer = FetchRaw(Port(), "NOSPACEHERE\r\n\r\n");
  EXPECT_EQ(answer.rfind("HTTP/1.0 400 Bad Request\r\n", 0), 0u) << answer;
  EXPECT_NE(answer.find("Connection: close\r\n"), std::string::npos);
}

TEST_F(AssetdTest, VerbosePrintsOneLinePerRequestAndQuietPrintsNothing) {
  InCache("/a.txt", "first");
  StartAssetd({"--verbose"});
  FetchRaw(Port(), Request("/a.txt"));
  FetchRaw(Port(), Request("/missing.txt"));
  ASSERT_EQ(m_assetd->StopWith(SIGTERM), 0);
  std::string out = m_assetd->Stdout();
  ASSERT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
  EXPECT_NE(out.find("\"GET /a.txt HTTP/1.1\" 200 OK"), std::string::npos) << out;
  EXPECT_NE(out.find("\"GET /missing.txt HTTP/1.1\" 404 Not Found"), std::string::npos) << out;

  StartAssetd();
  FetchRaw(Port(), Request("/a.txt"));
  ASSERT_EQ(m_assetd->StopWith(SIGTERM), 0);
  EXPECT_EQ(m_assetd->Stdout(), "");
  EXPECT_EQ(m_assetd->Stderr(), "");
}

TEST(AssetdCommandLine, RefusesAnAddressBeyondLoopback) {
  TempDir cache;
  std::string output;
  EXPECT_EQ(AssetdProcess::RunToExit({"--cache", cache.Path().string(), "--address", "0.0.0.0", "--port", "0"},
                                     &output),
            1);
  EXPECT_NE(output.find("not a loopback address"), std::string::npos) << output;
}

TEST(AssetdCommandLine, ParsesOptionsAndRefusesBadOnes) {
  const char* good[] = {"assetd", "--cache", "c", "--cdn", "http://h/pnox_cdn/", "--address", "::1", "--port", "81",
                        "--max-connections", "5", "--idle-timeout-ms", "250", "--workers", "3", "--io-threads", "2",
                        "--verbose"};
  AssetdOptions options;
  std::string error;
  ASSERT_TRUE(ParseAssetdOptions(18, const_cast<char**>(good), &options, &error)) << error;
  EXPECT_EQ(options.cacheFolder, "c");
  EXPECT_EQ(options.cdnBaseUrl, "http://h/pnox_cdn/");
  EXPECT_EQ(options.address, "::1");
  EXPECT_EQ(options.port, 81);
  EXPECT_EQ(options.maxConnections, 5);
  EXPECT_EQ(options.idleTimeoutMs, 250);
  EXPECT_EQ(options.workers, 3);
  EXPECT_EQ(options.ioThreads, 2);
  EXPECT_TRUE(options.verbose);

  for (std::vector<const char*> bad : std::vector<std::vector<const char*>>{
           {"assetd", "--port", "65536"}, {"assetd", "--port", "12x"}, {"assetd", "--workers", "0"}, {"assetd", "--io-threads", "0"},
           {"assetd", "--cdn", "ftp://h/"}, {"assetd", "--port"}, {"assetd", "--bogus", "1"}}) {
    AssetdOptions ignored;
    EXPECT_FALSE(ParseAssetdOptions(static_cast<int>(bad.size()), const_cast<char**>(bad.data()), &ignored, &error));
    EXPECT_FALSE(error.empty()) << bad[1];
  }
}

}  // namespace
