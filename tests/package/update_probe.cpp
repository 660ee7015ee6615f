// The client's update check run once, exactly as velmora.exe runs it (the
// same code, the real WinINet, WinVerifyTrust and version resources), for
// tests/package/update_test.py; only the feed's address and the client it
// checks for come from the command line.
//   update_probe.exe check FEED_URL CLIENT_EXE   prints the outcome's name
//   update_probe.exe trust CERTIFICATE           adds a certificate (PEM or
//                                                DER) to the user's roots
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/update_check.h"

namespace {

int Check(const std::wstring& feedUrl, const std::wstring& clientExe) {
  UpdateCheckSettings settings;
  settings.feedUrl.assign(feedUrl.begin(), feedUrl.end());
  settings.clientExe = clientExe;
  settings.stagingFolder = UpdateStagingFolder(L"Velmora");
  StagedUpdate staged;
  UpdateOutcome outcome = CheckForUpdate(settings, nullptr, &staged);
  std::printf("%s\n", UpdateOutcomeName(outcome));
  if (outcome == UpdateOutcome::kStaged) std::printf("%ls\n", staged.installer.c_str());
  return 0;
}

int Trust(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<BYTE> der(text.begin(), text.end());
  DWORD size = 0;
  if (text.find("-----BEGIN") != std::string::npos &&
      CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64HEADER, nullptr, &size,
                           nullptr, nullptr)) {
    der.resize(size);
    CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64HEADER, der.data(), &size,
                         nullptr, nullptr);
  }
  if (der.empty() ||
      !CertAddEncodedCertificateToSystemStoreW(L"Root", der.data(), static_cast<DWORD>(der.size()))) {
    std::printf("not trusted: error %lu\n", GetLastError());
    return 1;
  }
  std::printf("trusted\n");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wstring(argv[1]) == L"check") return Check(argv[2], argv[3]);
  if (argc == 3 && std::wstring(argv[1]) == L"trust") return Trust(argv[2]);
  std::fprintf(stderr, "usage: update_probe check FEED_URL CLIENT_EXE | trust CERTIFICATE\n");
  return 2;
}
