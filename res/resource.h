// Resource ids of res/velmora.rc.
#pragma once

#define IDI_VELMORA 106
