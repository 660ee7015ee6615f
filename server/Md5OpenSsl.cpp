// MD5 through OpenSSL's libcrypto.
#include "Md5.h"

#include <openssl/evp.h>


std::string Md5Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr) || length != 16) return {};
  return HexDigits(digest, length);
}
