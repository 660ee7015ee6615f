#include "app/update_verify.h"

#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <vector>

namespace {

std::string Hex(const unsigned char* bytes, size_t count) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < count; ++i) {
    hex += kDigits[bytes[i] >> 4];
    hex += kDigits[bytes[i] & 15];
  }
  return hex;
}

// The signer's chain against the Authenticode policy: a trusted root, valid
// signatures, usages and times. WinVerifyTrust's own policy step asks the
// same; asked again because Wine's lets an untrusted root pass.
bool ChainIsTrusted(PCCERT_CHAIN_CONTEXT chain) {
  if (!chain) return false;
  CERT_CHAIN_POLICY_PARA para = {};
  para.cbSize = sizeof para;
  CERT_CHAIN_POLICY_STATUS status = {};
  status.cbSize = sizeof status;
  return CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_AUTHENTICODE, chain, &para, &status) &&
         status.dwError == ERROR_SUCCESS;
}

}  // namespace

std::string FileSha256(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string hex;
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  if (CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
      CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) {
    std::vector<BYTE> buffer(256 * 1024);
    DWORD read = 0;
    bool ok = true;
    while (ok && ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read > 0) {
      ok = CryptHashData(hash, buffer.data(), read, 0) != FALSE;
    }
    unsigned char digest[32];
    DWORD length = sizeof digest;
    if (ok && CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0) && length == sizeof digest) {
      hex = Hex(digest, sizeof digest);
    }
  }
  if (hash) CryptDestroyHash(hash);
  if (provider) CryptReleaseContext(provider, 0);
  CloseHandle(file);
  return hex;
}

std::string SignerCertificate(const std::wstring& path) {
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = path.c_str();
  WINTRUST_DATA trust = {};
  trust.cbStruct = sizeof trust;
  trust.dwUIChoice = WTD_UI_NONE;
  // Revocation is checked for the signer and any intermediate certificate;
  // a root is trusted as the system trusts it.
  trust.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
  trust.dwProvFlags = WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT;
  trust.dwUnionChoice = WTD_CHOICE_FILE;
  trust.pFile = &file;
  trust.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  HWND noWindow = static_cast<HWND>(INVALID_HANDLE_VALUE);

  std::string certificate;
  if (WinVerifyTrust(noWindow, &action, &trust) == ERROR_SUCCESS) {
    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(trust.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer = provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    CRYPT_PROVIDER_CERT* leaf = signer ? WTHelperGetProvCertFromChain(signer, 0) : nullptr;
    if (leaf && leaf->pCert && leaf->pCert->cbCertEncoded > 0 && ChainIsTrusted(signer->pChainContext)) {
      certificate.assign(reinterpret_cast<const char*>(leaf->pCert->pbCertEncoded), leaf->pCert->cbCertEncoded);
    }
  }
  trust.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(noWindow, &action, &trust);
  return certificate;
}

bool FileVersionOf(const std::wstring& path, UpdateVersion* version) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<BYTE> data(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed ||
      fixed->dwSignature != VS_FFI_SIGNATURE) {
    return false;
  }
  version->part[0] = HIWORD(fixed->dwFileVersionMS);
  version->part[1] = LOWORD(fixed->dwFileVersionMS);
  version->part[2] = HIWORD(fixed->dwFileVersionLS);
  version->part[3] = LOWORD(fixed->dwFileVersionLS);
  return true;
}
