#include "browser/site_policy.h"

#include <algorithm>

#include "browser/site_url.h"

const char kLoginMarker[] = "/g/velmoLogin";

SitePolicy::SitePolicy(const std::vector<std::string>& operatorUrls,
                       const std::vector<std::string>& extraHosts) {
  for (const std::string& url : operatorUrls) {
    SiteUrl site = ParseSiteUrl(url);
    if (site.valid && site.web && !site.hasUserInfo) m_origins.push_back(site.Origin());
  }
  for (const std::string& text : extraHosts) {
    Host host;
    if (ParseHostAndPort(text, &host.name, &host.port)) m_extraHosts.push_back(host);
  }
}

bool SitePolicy::IsOperatorSite(const std::string& url) const {
  SiteUrl site = ParseSiteUrl(url);
  if (!site.valid || !site.web || site.hasUserInfo) return false;
  if (site.scheme != "http" && site.scheme != "https") return false;
  return std::find(m_origins.begin(), m_origins.end(), site.Origin()) != m_origins.end();
}

bool SitePolicy::IsExtraHost(const std::string& url) const {
  SiteUrl site = ParseSiteUrl(url);
  if (!site.valid || !site.web || site.hasUserInfo) return false;
  for (const Host& host : m_extraHosts) {
    if (host.name == site.host && (host.port < 0 || host.port == site.port)) return true;
  }
  return false;
}

bool SitePolicy::MayNavigate(const std::string& url, bool mainFrame) const {
  if (mainFrame) return IsOperatorSite(url);
  return MayLoad(url, false);
}

bool SitePolicy::MayLoad(const std::string& url, bool mainFrame) const {
  if (mainFrame) return IsOperatorSite(url);
  SiteUrl site = ParseSiteUrl(url);
  if (!site.valid) return false;
  if (!site.web) return site.scheme == "data" || site.scheme == "blob" || site.scheme == "about";
  if (site.hasUserInfo) return false;
  // A WebSocket goes to the site of the same host and port.
  std::string origin = site.Origin();
  return std::find(m_origins.begin(), m_origins.end(), origin) != m_origins.end() || IsExtraHost(url);
}

bool SitePolicy::HonoursLoginMarker(const std::string& url, bool mainFrame) const {
  return mainFrame && url.find(kLoginMarker) != std::string::npos && IsOperatorSite(url);
}

bool IsWebAddressToHandOut(const std::string& url) {
  SiteUrl site = ParseSiteUrl(url);
  return site.valid && (site.scheme == "http" || site.scheme == "https");
}

bool RendererMayNavigate(const std::string& url, bool mainFrame) {
  return !mainFrame || IsWebAddressToHandOut(url);
}
