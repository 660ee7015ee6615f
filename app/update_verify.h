// What the update check reads from executables on disk: the SHA-256 of a
// file, its Authenticode signer (WinVerifyTrust) and its version resource.
#ifndef VELMORA_APP_UPDATE_VERIFY_H_
#define VELMORA_APP_UPDATE_VERIFY_H_

#include <string>

#include "app/update_feed.h"

// The file's SHA-256 as 64 lower-case hexadecimal digits; empty when the
// file cannot be read.
std::string FileSha256(const std::wstring& path);

// When |path| carries a valid Authenticode signature that chains to a
// trusted root (WinVerifyTrust, no dialogs), the signer's certificate as
// its DER bytes; empty otherwise.
std::string SignerCertificate(const std::wstring& path);

// The file version of the file's version resource (VS_FIXEDFILEINFO).
bool FileVersionOf(const std::wstring& path, UpdateVersion* version);

#endif  // VELMORA_APP_UPDATE_VERIFY_H_
