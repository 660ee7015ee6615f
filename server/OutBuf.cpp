#include "OutBuf.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif
#ifdef __linux__
#include <sys/mman.h>
#endif

// Where storage comes from. The fuzz build puts an allocator with a
// ceiling here, to reach the paths taken when memory runs short.
#ifdef VELMORA_OUTBUF_REALLOC
extern "C" void* VELMORA_OUTBUF_REALLOC(void* storage, size_t size);
#define VELMORA_REALLOC VELMORA_OUTBUF_REALLOC
#else
#define VELMORA_REALLOC std::realloc
#endif

namespace {
constexpr int32_t kDefaultGrowBy = 256;
constexpr int kPrintfScratch = 4096;

// Storage of many megabytes (a large download) is faulted in page by page
// as it fills; on Linux, 2 MiB pages make that a few hundred times fewer
// faults. A hint only: where it is not taken nothing changes. It covers
// the whole mapping, pages partly ours included, so that the mapping stays
// one piece that realloc can still grow by remapping.
void AskForLargePages(char* storage, size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr size_t kLargePages = 4u << 20;
  if (size < kLargePages) return;
  uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  uintptr_t begin = reinterpret_cast<uintptr_t>(storage) & ~(page - 1);
  uintptr_t end = (reinterpret_cast<uintptr_t>(storage) + size + page - 1) & ~(page - 1);
  madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)storage;
  (void)size;
#endif
}

// The whole file in fresh storage of exactly its size (none for an empty
// file); false when it cannot be opened or read in full.
#ifndef _WIN32
// In plain system calls: a cached asset costs one open, one fstat, one
// read and one close, where stdio would add seeks, a second fstat and a
// FILE of its own to every answer.
bool ReadWholeFile(const char* path, char** storage, size_t* size) {
  int descriptor = open(path, O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  struct stat info;
  bool ok = fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= INT32_MAX;
  *size = ok ? static_cast<size_t>(info.st_size) : 0;
  if (ok && *size > 0) {
    *storage = static_cast<char*>(std::malloc(*size));
    size_t got = 0;
    while (*storage != nullptr && got < *size) {
      ssize_t count = read(descriptor, *storage + got, *size - got);
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) break;
      got += static_cast<size_t>(count);
    }
    ok = *storage != nullptr && got == *size;
  }
  close(descriptor);
  if (!ok) {
    std::free(*storage);
    *storage = nullptr;
  }
  return ok;
}
#else
bool ReadWholeFile(const char* path, char** storage, size_t* size) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  long length = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
  bool ok = length >= 0 && length <= INT32_MAX && std::fseek(file, 0, SEEK_SET) == 0;
  *size = ok ? static_cast<size_t>(length) : 0;
  if (ok && *size > 0) {
    *storage = static_cast<char*>(std::malloc(*size));
    ok = *storage != nullptr && std::fread(*storage, 1, *size, file) == *size;
  }
  std::fclose(file);
  if (!ok) {
    std::free(*storage);
    *storage = nullptr;
  }
  return ok;
}
#endif

}  // namespace

COutBuf::COutBuf()
    : m_growBy(kDefaultGrowBy), m_data(nullptr), m_length(0), m_capacity(0), m_allocated(0) {}

COutBuf::~COutBuf() { std::free(m_data); }

void COutBuf::Clear() {
  std::free(m_data);
  m_data = nullptr;
  m_length = 0;
  m_capacity = 0;
  m_allocated = 0;
  m_expectedSize = 0;
}

const char* COutBuf::Data() const { return m_data; }
const char* COutBuf::GetData() const { return m_data; }
int32_t COutBuf::GetLength() const { return m_length; }
bool COutBuf::IsEmpty() const { return m_length == 0; }

bool COutBuf::PutByte(uint8_t value) { return Write(&value, 1); }

bool COutBuf::PutDword(uint32_t value) { return Write(&value, sizeof value); }

bool COutBuf::PutString(const char* text) {
  if (text == nullptr) return false;
  size_t length = std::strlen(text);
  if (length > INT32_MAX) return false;
  return Write(text, static_cast<int32_t>(length));
}

bool COutBuf::Append(const COutBuf& other) { return Write(other.GetData(), other.GetLength()); }

void COutBuf::SetGrowBy(int32_t step) {
  // A non-positive step could never satisfy a growth; keep the old one.
  if (step > 0) m_growBy = step;
}

// Makes the visible capacity the smallest multiple of the grow step that
// holds `needed` bytes, keeping the contents. Fails without change.
bool COutBuf::Reserve(int64_t needed) {
  if (m_growBy <= 0) return false;
  int64_t capacity = (needed + m_growBy - 1) / m_growBy * m_growBy;
  if (capacity > INT32_MAX) return false;
  if (capacity > m_allocated) {
    // Reserve at least double the old storage behind the visible capacity.
    int64_t target = capacity;
    if (m_allocated > 0 && int64_t(m_allocated) * 2 > target) target = int64_t(m_allocated) * 2;
    if (m_expectedSize > target) target = m_expectedSize;
    if (target > INT32_MAX) target = capacity;
    // realloc can move large storage by remapping its pages instead of
    // copying them, and leaves the old storage in place when it fails.
    char* storage = static_cast<char*>(VELMORA_REALLOC(m_data, static_cast<size_t>(target)));
    if (storage == nullptr && target > capacity) {
      // Short of memory (a 32-bit process with a large download): the
      // exact size the grow step asks for may still fit.
      target = capacity;
      storage = static_cast<char*>(VELMORA_REALLOC(m_data, static_cast<size_t>(target)));
    }
    if (storage == nullptr) return false;
    m_data = storage;
    m_allocated = static_cast<int32_t>(target);
    AskForLargePages(storage, static_cast<size_t>(target));
  }
  m_capacity = static_cast<int32_t>(capacity);
  return true;
}

bool COutBuf::Write(const void* bytes, int32_t count) {
  if (count == 0) return true;
  if (count < 0 || bytes == nullptr) return false;
  int64_t needed = int64_t(m_length) + count;
  if (needed > m_capacity) {
    // Bytes from our own storage (Append of the buffer to itself) move
    // with it when growth reallocates.
    const char* source = static_cast<const char*>(bytes);
    uintptr_t at = reinterpret_cast<uintptr_t>(source);
    uintptr_t begin = reinterpret_cast<uintptr_t>(m_data);
    bool own = m_data != nullptr && at >= begin && at < begin + static_cast<uintptr_t>(m_length);
    size_t offset = own ? at - begin : 0;
    if (!Reserve(needed)) return false;
    if (own) bytes = m_data + offset;
  }
  std::memcpy(m_data + m_length, bytes, static_cast<size_t>(count));
  m_length += count;
  return true;
}

char* COutBuf::Room(int32_t count) {
  if (count <= 0) return nullptr;
  int64_t needed = int64_t(m_length) + count;
  if (needed > m_capacity && !Reserve(needed)) return nullptr;
  return m_data + m_length;
}

void COutBuf::Commit(int32_t count) {
  if (count > 0 && int64_t(m_length) + count <= m_capacity) m_length += count;
}

const char* COutBuf::CStr() {
  if (m_length == m_capacity) {
    // The terminator needs room that cannot be had: say so rather than
    // hand out unterminated bytes.
    if (!PutByte(0)) return nullptr;
    --m_length;
  } else {
    m_data[m_length] = 0;
  }
  return m_data;
}

bool COutBuf::Printf(const char* format, ...) {
  char scratch[kPrintfScratch];
  va_list args;
  va_start(args, format);
  int written = std::vsnprintf(scratch, sizeof scratch, format, args);
  va_end(args);
  // Output that is malformed or does not fit with its terminator is refused.
  if (written < 0 || written >= kPrintfScratch) return false;
  return Write(scratch, written);
}

bool COutBuf::LoadFile(const char* path) {
  char* storage = nullptr;
  size_t size = 0;
  if (!ReadWholeFile(path, &storage, &size)) return false;
  if (size == 0) return true;  // an empty file leaves the contents as they were
  std::free(m_data);
  m_data = storage;
  m_length = m_capacity = m_allocated = static_cast<int32_t>(size);
  return true;
}

bool COutBuf::SaveFile(const char* path) {
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  if (m_length > 0) std::fwrite(m_data, 1, static_cast<size_t>(m_length), file);
  std::fclose(file);
  return true;
}

void COutBuf::Align(int32_t multiple) {
  if (multiple <= 0) return;
  while (m_length % multiple != 0) {
    if (!PutByte(0)) return;
  }
}
