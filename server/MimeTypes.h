#pragma once
// The extension-to-content-type table of the asset responder.

#include <map>
#include <string>

using MimeMap = std::map<std::string, std::string>;

// Content type for a path whose extension is missing or unknown.
extern const char kDefaultContentType[];

// Fills `map` with every row of the responder's fixed table.
void FillMimeTypes(MimeMap& map);

// The content type for a request path: the bytes after its last dot,
// lower-cased (A-Z only), looked up exactly; a miss gives the default.
std::string LookupContentType(const MimeMap& map, const std::string& path);
