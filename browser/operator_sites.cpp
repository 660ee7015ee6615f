#include "browser/operator_sites.h"

#include "velmora_operator.h"

const SitePolicy& OperatorSitePolicy() {
  // Built on first use: the shared browser client asks for it during static
  // initialisation.
  static const SitePolicy policy(
      {VELMORA_OPERATOR_PORTAL_URL, VELMORA_OPERATOR_TEST_LOGIN_URL, VELMORA_OPERATOR_CDN_BASE_URL,
       VELMORA_OPERATOR_GAME_SITES},
      {VELMORA_OPERATOR_EXTRA_HOSTS});
  return policy;
}
