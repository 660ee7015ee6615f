// Which addresses the browsers may show and load. The operator's sites are
// the scheme, host and port of its portal, test login, CDN and game-site
// URLs; its extra hosts (a payment provider, an analytics service) may serve
// frames and resources but never become the page itself. Nothing else loads:
// with the same-origin policy switched off, anything else that loaded could
// read the operator's pages and the services on the player's own machine.
#ifndef VELMORA_BROWSER_SITE_POLICY_H_
#define VELMORA_BROWSER_SITE_POLICY_H_

#include <string>
#include <vector>

#include "browser/site_url.h"

// A navigation carrying this text means the player has logged in.
extern const char kLoginMarker[];

class SitePolicy {
 public:
  // |operatorUrls|: URLs whose origins are the operator's sites.
  // |extraHosts|: host names, or "host:port" to allow one port only.
  // Entries that do not parse are left out.
  SitePolicy(const std::vector<std::string>& operatorUrls, const std::vector<std::string>& extraHosts);

  // An http or https URL, without user info, on one of the operator's sites.
  bool IsOperatorSite(const std::string& url) const;

  // Whether a browser may navigate there: the main frame only to the
  // operator's sites, a sub-frame also to the extra hosts.
  bool MayNavigate(const std::string& url, bool mainFrame) const;

  // Whether a request may load: the main document as MayNavigate; anything
  // else from the operator's sites and the extra hosts, or content that
  // needs no network (data:, blob:, about:).
  bool MayLoad(const std::string& url, bool mainFrame) const;

  // Whether a worker may run this script: only from the operator's sites
  // and extra hosts. A worker made from a blob: or data: address would run
  // the page's own text where no check of the renderer reaches.
  bool MayRunWorker(const std::string& url) const;

  // Whether a navigation tells the client that the player has logged in:
  // the marker, in a main-frame navigation to one of the operator's sites.
  bool HonoursLoginMarker(const std::string& url, bool mainFrame) const;

  // A script for every JavaScript context of the renderer. WebSocket
  // connections are never offered to the request policy, so the script puts
  // a check in front of the page's WebSocket: ws and wss only to the
  // operator's sites (the same host and port) and its extra hosts; anything
  // else throws a SecurityError before a connection is made.
  std::string WebSocketGuardScript() const;

 private:
  struct Host {
    std::string name;
    int port;  // -1: any
  };
  bool IsExtraHost(const std::string& url) const;

  std::vector<std::string> m_origins;
  std::vector<SiteUrl> m_sites;  // the same, parsed
  std::vector<Host> m_extraHosts;
};

// http and https only: the addresses that may go to the system's browser.
bool IsWebAddressToHandOut(const std::string& url);

// Asked in the renderer before Blink starts a navigation: a main frame only
// goes to http or https, which the browser process then judges with
// MayNavigate. data:, about: and the like stay inside the renderer, where
// nothing else would stop them from replacing the operator's page; only
// the empty about:blank may go (the client's own stand-in for a dead page).
bool RendererMayNavigate(const std::string& url, bool mainFrame);

#endif  // VELMORA_BROWSER_SITE_POLICY_H_
