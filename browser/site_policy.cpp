#include "browser/site_policy.h"

#include <algorithm>


const char kLoginMarker[] = "/g/velmoLogin";

SitePolicy::SitePolicy(const std::vector<std::string>& operatorUrls,
                       const std::vector<std::string>& extraHosts) {
  for (const std::string& url : operatorUrls) {
    SiteUrl site = ParseSiteUrl(url);
    if (site.valid && site.web && !site.hasUserInfo) {
      m_origins.push_back(site.Origin());
      m_sites.push_back(site);
    }
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

bool SitePolicy::MayRunWorker(const std::string& url) const {
  return ParseSiteUrl(url).web && MayLoad(url, false);
}

bool SitePolicy::HonoursLoginMarker(const std::string& url, bool mainFrame) const {
  return mainFrame && url.find(kLoginMarker) != std::string::npos && IsOperatorSite(url);
}

namespace {

// The page's own WebSocket, kept out of its reach behind a check. Hosts and
// ports are compared as the browser's URL parser writes them, which is how
// the site policy normalises them too.
const char kWebSocketGuard[] = R"JS((function (w) {
  var Native = w.WebSocket;
  if (!Native || Native.siteGuard) return;
  var allowed = @ALLOWED@;  // [scheme ('ws', 'wss' or '*'), host, port ('*': any)]
  function permitted(address) {
    var u;
    try { u = new w.URL(String(address), w.location.href); } catch (e) { return false; }
    var scheme = u.protocol.slice(0, -1);
    if ((scheme !== 'ws' && scheme !== 'wss') || u.username || u.password) return false;
    var port = u.port || (scheme === 'wss' ? '443' : '80');
    for (var i = 0; i < allowed.length; i++) {
      var a = allowed[i];
      if ((a[0] === '*' || a[0] === scheme) && a[1] === u.hostname && (a[2] === '*' || a[2] === port)) return true;
    }
    return false;
  }
  function WebSocket(address, protocols) {
    if (!permitted(address)) {
      var refused = new Error('WebSocket to ' + address + ' refused: not a site of the operator');
      refused.name = 'SecurityError';
      throw refused;
    }
    return arguments.length > 1 ? new Native(address, protocols) : new Native(address);
  }
  WebSocket.prototype = Native.prototype;
  ['CONNECTING', 'OPEN', 'CLOSING', 'CLOSED'].forEach(function (k) { WebSocket[k] = Native[k]; });
  Object.defineProperty(WebSocket, 'siteGuard', {value: true});
  Object.defineProperty(Native.prototype, 'constructor', {value: WebSocket, writable: false, configurable: false});
  // The binding's own property keeps answering with the native constructor
  // when only redefined: it goes first.
  delete w.WebSocket;
  Object.defineProperty(w, 'WebSocket', {value: WebSocket, writable: false, configurable: false});
})(this);
)JS";

std::string Entry(const std::string& scheme, const std::string& host, int port) {
  // Hosts hold only letters, digits, '-', '_', '.', ':' and brackets.
  return "['" + scheme + "','" + host + "','" + (port < 0 ? std::string("*") : std::to_string(port)) + "']";
}

}  // namespace

std::string SitePolicy::WebSocketGuardScript() const {
  std::string allowed = "[";
  for (const SiteUrl& site : m_sites) {
    if (allowed.size() > 1) allowed += ",";
    allowed += Entry(site.scheme == "https" || site.scheme == "wss" ? "wss" : "ws", site.host, site.port);
  }
  for (const Host& host : m_extraHosts) {
    if (allowed.size() > 1) allowed += ",";
    allowed += Entry("*", host.name, host.port);
  }
  allowed += "]";
  std::string script = kWebSocketGuard;
  script.replace(script.find("@ALLOWED@"), 9, allowed);
  return script;
}

bool IsWebAddressToHandOut(const std::string& url) {
  SiteUrl site = ParseSiteUrl(url);
  return site.valid && (site.scheme == "http" || site.scheme == "https");
}

bool RendererMayNavigate(const std::string& url, bool mainFrame) {
  // The empty page holds nothing a script could not write into the page it
  // runs in anyway, and the client loads it itself to give a dead page a
  // new renderer before it says that the game stopped.
  if (mainFrame && url == "about:blank") return true;
  return !mainFrame || IsWebAddressToHandOut(url);
}
