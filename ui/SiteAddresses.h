#pragma once
// The operator's web addresses, from its operator file (velmora_operator.h).
#include "velmora_operator.h"

// The portal page shown in the login browser (narrow, widened where used).
#define VELMORA_PORTAL_URL VELMORA_OPERATOR_PORTAL_URL
// The test login page that the login window's play button opens.
#define VELMORA_TEST_LOGIN_URL VELMORA_OPERATOR_TEST_LOGIN_URL_W
