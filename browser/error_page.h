// The page shown in a frame whose load failed.
#ifndef VELMORA_BROWSER_ERROR_PAGE_H_
#define VELMORA_BROWSER_ERROR_PAGE_H_

#include <string>

// & < > " and ' as character references, so page text cannot become markup.
std::string HtmlEscape(const std::string& text);

// The UTF-8 error page for |failedUrl| and |errorText| (both UTF-8); both
// are escaped because the page runs under the failed URL's origin.
std::string BuildErrorPage(const std::string& failedUrl, const std::string& errorText,
                           int errorCode);

#endif  // VELMORA_BROWSER_ERROR_PAGE_H_
