// The pages the client shows in place of a page: a failed load, and a page
// whose renderer died twice in a row.
#ifndef VELMORA_BROWSER_ERROR_PAGE_H_
#define VELMORA_BROWSER_ERROR_PAGE_H_

#include <string>

// & < > " and ' as character references, so page text cannot become markup.
std::string HtmlEscape(const std::string& text);

// The UTF-8 error page for |failedUrl| and |errorText| (both UTF-8); both
// are escaped because the page runs under the failed URL's origin.
std::string BuildErrorPage(const std::string& failedUrl, const std::string& errorText,
                           int errorCode);

// The error page of a main-frame load that is tried again by itself in
// |retrySeconds|: the text of BuildErrorPage, then when the next try comes
// and a link that tries at once.
std::string BuildRetryingErrorPage(const std::string& failedUrl, const std::string& errorText,
                                   int errorCode, int retrySeconds);

// The page shown under |url| when its renderer died again soon after it was
// started anew: the game stopped, and a link loads it again.
std::string BuildStoppedPage(const std::string& url);

#endif  // VELMORA_BROWSER_ERROR_PAGE_H_
