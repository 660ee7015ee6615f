// One line per event, appended to the file named by VELMORA_EVENT_LOG (set by
// the integration tests). The variable is inherited by CEF's sub-processes,
// so they log to the same file. Without it nothing is written.
#ifndef VELMORA_TOOLS_CEFBROWSER_EVENT_LOG_H_
#define VELMORA_TOOLS_CEFBROWSER_EVENT_LOG_H_

#include <string>

void LogEvent(const std::wstring& line);

#endif  // VELMORA_TOOLS_CEFBROWSER_EVENT_LOG_H_
