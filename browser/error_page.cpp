#include "browser/error_page.h"

std::string HtmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string BuildErrorPage(const std::string& failedUrl, const std::string& errorText,
                           int errorCode) {
  return "<html><body bgcolor=\"white\"><h2>Failed to load URL " + HtmlEscape(failedUrl) +
         " with error " + HtmlEscape(errorText) + " (" + std::to_string(errorCode) +
         ").</h2></body></html>";
}
