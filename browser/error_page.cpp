#include "browser/error_page.h"

namespace {

// |url| as a link's target: the characters that may not stand in an
// address percent-encoded (Chromium leaves them raw in fragments), then
// escaped for the attribute.
std::string LinkTarget(const std::string& url) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : url) {
    if (c <= 0x20 || c == 0x7F || c == '"' || c == '\'' || c == '<' || c == '>' || c == '`') {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return HtmlEscape(out);
}

std::string Page(const std::string& body) {
  return "<html><body bgcolor=\"white\">" + body + "</body></html>";
}

std::string FailureHeading(const std::string& failedUrl, const std::string& errorText,
                           int errorCode) {
  return "<h2>Failed to load URL " + HtmlEscape(failedUrl) + " with error " +
         HtmlEscape(errorText) + " (" + std::to_string(errorCode) + ").</h2>";
}

}  // namespace

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
  return Page(FailureHeading(failedUrl, errorText, errorCode));
}

std::string BuildRetryingErrorPage(const std::string& failedUrl, const std::string& errorText,
                                   int errorCode, int retrySeconds) {
  std::string when = retrySeconds == 1 ? "1 second" : std::to_string(retrySeconds) + " seconds";
  return Page(FailureHeading(failedUrl, errorText, errorCode) + "<p>Trying again in " + when +
              ".</p><p><a id=\"retry\" href=\"" + LinkTarget(failedUrl) +
              "\">Try again now</a></p>");
}

std::string BuildStoppedPage(const std::string& url) {
  return Page("<h2>The game stopped.</h2><p>Its page ended twice within a minute, so it was not "
              "started again by itself.</p><p><a id=\"reload\" href=\"" + LinkTarget(url) +
              "\">Reload the game</a> (or press F11)</p>");
}
