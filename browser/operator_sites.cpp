#include "browser/operator_sites.h"

#include <string>
#include <vector>

#include "velmora_operator.h"

extern const char* const kOperatorSiteUrls[] = {VELMORA_OPERATOR_PORTAL_URL, VELMORA_OPERATOR_TEST_LOGIN_URL,
                                                VELMORA_OPERATOR_CDN_BASE_URL, VELMORA_OPERATOR_GAME_SITES};
extern const size_t kOperatorSiteUrlCount = sizeof(kOperatorSiteUrls) / sizeof(kOperatorSiteUrls[0]);
// The last entry only keeps the list from being empty.
extern const char* const kOperatorExtraHosts[] = {VELMORA_OPERATOR_EXTRA_HOSTS nullptr};
extern const size_t kOperatorExtraHostCount = sizeof(kOperatorExtraHosts) / sizeof(kOperatorExtraHosts[0]) - 1;

const SitePolicy& OperatorSitePolicy() {
  // Built on first use: the shared browser client asks for it during static
  // initialisation.
  static const SitePolicy policy(
      std::vector<std::string>(kOperatorSiteUrls, kOperatorSiteUrls + kOperatorSiteUrlCount),
      std::vector<std::string>(kOperatorExtraHosts, kOperatorExtraHosts + kOperatorExtraHostCount));
  return policy;
}
