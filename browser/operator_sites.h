// The site policy of the operator this client was built for (its operator
// file, compiled in).
#ifndef VELMORA_BROWSER_OPERATOR_SITES_H_
#define VELMORA_BROWSER_OPERATOR_SITES_H_

#include "browser/site_policy.h"

const SitePolicy& OperatorSitePolicy();

#endif  // VELMORA_BROWSER_OPERATOR_SITES_H_
