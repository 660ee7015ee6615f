// The MIME lookup on any path: always one of the table's types, the default
// without a dot, and blind to the case of A-Z in the extension.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "FuzzCheck.h"
#include "MimeTypes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MimeMap map = [] {
    MimeMap filled;
    FillMimeTypes(filled);
    return filled;
  }();
  static std::set<std::string> types = [] {
    std::set<std::string> all{kDefaultContentType};
    for (auto& row : map) all.insert(row.second);
    return all;
  }();

  std::string path(reinterpret_cast<const char*>(data), size);
  std::string type = LookupContentType(map, path);
  FUZZ_CHECK(types.count(type) == 1);

  size_t dot = path.rfind('.');
  if (dot == std::string::npos) {
    FUZZ_CHECK(type == kDefaultContentType);
    return 0;
  }
  std::string upper = path;
  std::string lower = path;
  for (size_t i = dot + 1; i < path.size(); ++i) {
    char c = path[i];
    if (c >= 'a' && c <= 'z') upper[i] = static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') lower[i] = static_cast<char>(c - 'A' + 'a');
  }
  FUZZ_CHECK(LookupContentType(map, upper) == type);
  auto hit = map.find(lower.substr(dot + 1));
  FUZZ_CHECK(type == (hit != map.end() ? hit->second : std::string(kDefaultContentType)));
  return 0;
}
