#pragma once
#include <cstddef>
#include <string>

// The MD5 digest (RFC 1321) of `bytes` as 32 lower-case hexadecimal digits,
// computed by the platform's crypto library. Empty if that library fails.
std::string Md5Hex(const std::string& bytes);

// `length` digest bytes as lower-case hexadecimal, high half first.
std::string HexDigits(const unsigned char* digest, size_t length);
