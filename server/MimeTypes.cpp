#include "MimeTypes.h"

const char kDefaultContentType[] = "text/html";

namespace {
struct MimeRow {
  const char* contentType;
  const char* extensions;  // space-separated
};

// Note the two spellings of the character set: xml is "UTF-8", the game's
// own asset kinds are "utf-8".
const MimeRow kMimeRows[] = {
    {"text/xml; charset=UTF-8", "xml"},
    {"text/plain; charset=utf-8", "asset mp res"},
    {"image/png", "png"},
    {"application/x-shockwave-flash", "swf"},
    {"application/msword", "doc"},
    {"application/octet-stream", "bin dll exe"},
    {"application/pdf", "pdf"},
    {"application/pkcs7-mime", "p7c"},
    {"application/postscript", "ai eps ps"},
    {"application/vnd.fdf", "fdf"},
    {"application/x-compressed", "arj cab"},
    {"application/x-gzip", "gz"},
    {"application/x-java-class", "class"},
    {"application/x-javascript", "js"},
    {"application/x-lzh", "lzh"},
    {"application/x-ms-shortcut", "lnk"},
    {"application/x-tar", "tar"},
    {"application/x-winhelp", "hlp"},
    {"application/x-x509-ca-cert", "cert"},
    {"application/zip", "zip"},
    {"audio/aiff", "aif aifc aiff"},
    {"audio/basic", "au snd"},
    {"audio/midi", "mid rmi"},
    {"audio/mpeg", "mp3"},
    {"audio/voxware", "vox"},
    {"audio/wav", "wav"},
    {"audio/x-pn-realaudio", "ra ram"},
    {"image/bmp", "bmp"},
    {"image/gif", "gif"},
    {"image/jpeg", "jpeg jpg"},
    {"image/tiff", "tif tiff"},
    {"image/xbm", "xbm"},
    {"model/vrml", "wrl"},
    {"text/html", "htm html"},
    {"text/plain", "c cpp def h txt"},
    {"text/richtext", "rtf rtx"},
    {"text/x-java-source", "java"},
    {"text/css", "css"},
    {"video/mpeg", "mpe mpeg mpg"},
    {"video/msvideo", "avi"},
    {"video/quicktime", "mov qt"},
    {"wwwserver/html-ssi", "shtml"},
    {"wwwserver/isapi", "asa asp cfm cgi dbm isa php plx url wcgi"},
};
}  // namespace

void FillMimeTypes(MimeMap& map) {
  for (const MimeRow& row : kMimeRows) {
    std::string extensions = row.extensions;
    size_t start = 0;
    while (start < extensions.size()) {
      size_t end = extensions.find(' ', start);
      if (end == std::string::npos) end = extensions.size();
      map[extensions.substr(start, end - start)] = row.contentType;
      start = end + 1;
    }
  }
}

std::string LookupContentType(const MimeMap& map, const std::string& path) {
  size_t dot = path.rfind('.');
  if (dot == std::string::npos) return kDefaultContentType;
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  auto hit = map.find(extension);
  return hit == map.end() ? kDefaultContentType : hit->second;
}
