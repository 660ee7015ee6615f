#pragma once
// A cache folder, a loopback CDN and a running velmora-assetd between them.

#include <gtest/gtest.h>

#include <memory>

#include "AssetdProcess.h"
#include "LoopbackHttpServer.h"
#include "Md5.h"
#include "TestSupport.h"

class AssetdTest : public ::testing::Test {
 protected:
  void StartAssetd(const std::vector<std::string>& extraArguments = {}) {
    StartAssetdOn(m_cache.Path().string(), extraArguments);
  }
  void StartAssetdOn(const std::string& cacheFolder, const std::vector<std::string>& extraArguments = {}) {
    m_assetd = std::make_unique<AssetdProcess>(cacheFolder, CdnBase(), extraArguments);
    ASSERT_TRUE(m_assetd->Started()) << m_assetd->Stderr();
  }
  std::string CdnBase() const { return m_cdn.BaseUrl() + "/pnox_cdn/"; }
  // Serves `body` for `path` with its length, from the CDN.
  void OnCdn(const std::string& path, const std::string& body, int pauseMs = 0) {
    std::string raw = HttpResponse("200 OK", body);
    m_cdn.Serve("/pnox_cdn/" + path, [raw, pauseMs](const std::string&) { return ScriptedResponse{raw, pauseMs}; });
  }
  void InCache(const std::string& path, const std::string& bytes) { WriteFile(m_cache.File(Md5Hex(path)), bytes); }
  std::string Request(const std::string& path, const std::string& headers = "") const {
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n";
  }
  int Port() const { return m_assetd->Port(); }

  TempDir m_cache;
  LoopbackHttpServer m_cdn;
  std::unique_ptr<AssetdProcess> m_assetd;
};

// Bytes that differ from position to position, so a shifted or spliced
// body cannot pass for the original.
inline std::string PatternBytes(size_t size, unsigned seed = 1) {
  std::string bytes(size, '\0');
  uint32_t state = seed * 2654435761u + 1;
  for (size_t i = 0; i < size; ++i) {
    state = state * 1664525u + 1013904223u;
    bytes[i] = static_cast<char>(state >> 24);
  }
  return bytes;
}
