// MD5 through OpenSSL's libcrypto.
#include "Md5.h"

#include <openssl/evp.h>

namespace {
// Fetched once: looking the algorithm up on every digest takes locks and
// costs more than hashing a request path.
const EVP_MD* Md5Algorithm() {
  static EVP_MD* fetched = EVP_MD_fetch(nullptr, "MD5", nullptr);
  return fetched != nullptr ? fetched : EVP_md5();
}
}  // namespace

std::string Md5Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!EVP_Digest(bytes.data(), bytes.size(), digest, &length, Md5Algorithm(), nullptr) || length != 16) return {};
  return HexDigits(digest, length);
}
