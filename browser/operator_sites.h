// The site policy of the operator this client was built for (its operator
// file, compiled in).
#ifndef VELMORA_BROWSER_OPERATOR_SITES_H_
#define VELMORA_BROWSER_OPERATOR_SITES_H_

#include <cstddef>

#include "browser/site_policy.h"

// The operator's site URLs (portal, test login, CDN base, game sites) and
// extra hosts as compiled in, each kept whole in the executable's data.
extern const char* const kOperatorSiteUrls[];
extern const size_t kOperatorSiteUrlCount;
extern const char* const kOperatorExtraHosts[];
extern const size_t kOperatorExtraHostCount;

const SitePolicy& OperatorSitePolicy();

#endif  // VELMORA_BROWSER_OPERATOR_SITES_H_
