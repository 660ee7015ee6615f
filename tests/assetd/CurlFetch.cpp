#include "CurlFetch.h"

#include <curl/curl.h>

namespace {
size_t Collect(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}
}  // namespace

CurlFetcher::CurlFetcher() : m_easy(curl_easy_init()) {}

CurlFetcher::~CurlFetcher() { curl_easy_cleanup(static_cast<CURL*>(m_easy)); }

CurlAnswer CurlFetcher::Get(const std::string& url, bool askKeepAlive) {
  CURL* easy = static_cast<CURL*>(m_easy);
  CurlAnswer answer;
  curl_slist* headers = nullptr;
  if (askKeepAlive) headers = curl_slist_append(headers, "Connection: keep-alive");
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &answer.body);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT, 30L);
  answer.transferred = curl_easy_perform(easy) == CURLE_OK;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &answer.status);
  curl_easy_getinfo(easy, CURLINFO_NUM_CONNECTS, &answer.connectionsMade);
  char* type = nullptr;
  if (curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type != nullptr) answer.contentType = type;
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
  curl_slist_free_all(headers);
  return answer;
}
