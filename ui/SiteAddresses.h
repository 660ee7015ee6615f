#pragma once
// The operator's fixed web addresses.

// The portal page shown in the login browser (narrow, widened where used).
#define VELMORA_PORTAL_URL "http://www.velmora.example/wd/wd-vlmr/index.htm"
// The test login page that the login window's play button opens.
#define VELMORA_TEST_LOGIN_URL L"https://login.velmora.example/swtest.html"
