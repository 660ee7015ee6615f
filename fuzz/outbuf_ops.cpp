// COutBuf under any sequence of operations, checked against a plain string
// model: the same bytes, 0 <= length <= capacity, data null exactly when
// capacity is 0, and growth to the smallest multiple of the grow step.
// Includes appending a buffer to itself, reading straight into its room,
// and growth under memory pressure:
// with an allocation ceiling, growth succeeds exactly when the size that
// the grow step asks for fits, whatever reserve the buffer would like.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "OutBuf.h"

namespace {

// The ceiling of FuzzBoundedRealloc, the buffer's allocator in this build:
// larger requests fail, as they would in a process short of memory.
size_t g_allocationCeiling = SIZE_MAX;

}  // namespace

extern "C" void* FuzzBoundedRealloc(void* storage, size_t size) {
  return size > g_allocationCeiling ? nullptr : std::realloc(storage, size);
}

namespace {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  bool Empty() const { return m_at >= m_size; }
  uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
  uint32_t Dword() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | Byte();
    return value;
  }
  std::string Bytes(size_t count) {
    count = std::min(count, m_size - std::min(m_at, m_size));
    std::string bytes(reinterpret_cast<const char*>(m_data + m_at), count);
    m_at += count;
    return bytes;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_at = 0;
};

struct Model {
  std::string bytes;
  int32_t growBy = 256;
};

std::string Contents(const COutBuf& buffer) {
  return buffer.GetLength() == 0 ? std::string() : std::string(buffer.GetData(), buffer.GetLength());
}

void CheckState(const COutBuf& buffer, const Model& model) {
  FUZZ_CHECK(buffer.GetLength() == static_cast<int32_t>(model.bytes.size()));
  FUZZ_CHECK(buffer.GetLength() <= buffer.GetCapacity());
  FUZZ_CHECK((buffer.GetData() == nullptr) == (buffer.GetCapacity() == 0));
  FUZZ_CHECK(buffer.Data() == buffer.GetData());
  FUZZ_CHECK(buffer.IsEmpty() == model.bytes.empty());
  FUZZ_CHECK(buffer.GetGrowBy() == model.growBy);
  FUZZ_CHECK(Contents(buffer) == model.bytes);
}

// After a write of `added` bytes onto `before`: unchanged capacity when it
// fitted, else the smallest multiple of the step that holds them all.
void CheckGrowth(const COutBuf& buffer, int32_t capacityBefore, size_t needed, int32_t step) {
  if (needed <= static_cast<size_t>(capacityBefore)) {
    FUZZ_CHECK(buffer.GetCapacity() == capacityBefore);
  } else {
    FUZZ_CHECK(buffer.GetCapacity() % step == 0);
    FUZZ_CHECK(static_cast<size_t>(buffer.GetCapacity()) >= needed);
    FUZZ_CHECK(static_cast<size_t>(buffer.GetCapacity()) < needed + static_cast<size_t>(step));
  }
}

// `result` and `capacityBefore` are taken before the operation ran.
void Append(COutBuf& buffer, Model& model, const std::string& bytes, bool result, int32_t capacityBefore) {
  FUZZ_CHECK(result);
  model.bytes += bytes;
  if (!bytes.empty()) CheckGrowth(buffer, capacityBefore, model.bytes.size(), model.growBy);
}

int32_t RoundUp(int64_t needed, int32_t step) { return static_cast<int32_t>((needed + step - 1) / step * step); }

// A buffer of up to 32 KiB grows by up to 32 KiB more under a ceiling
// somewhere from below its present size to above twice the new one. A
// refused write changes nothing.
void GrowUnderPressure(Input& input) {
  static const std::string pattern = [] {
    std::string bytes(64 * 1024, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 + (i >> 9));
    return bytes;
  }();
  COutBuf buffer;
  int32_t step = 1 + input.Byte() % 64 * 16;
  buffer.SetGrowBy(step);
  int32_t first = 1 + static_cast<int32_t>(input.Dword() % (32 * 1024));
  FUZZ_CHECK(buffer.Write(pattern.data(), first));
  int32_t second = 1 + static_cast<int32_t>(input.Dword() % (32 * 1024));
  int32_t exact = RoundUp(int64_t(first) + second, step);
  g_allocationCeiling = input.Dword() % (3u * static_cast<uint32_t>(exact));
  const char* before = buffer.GetData();
  int32_t capacityBefore = buffer.GetCapacity();
  bool ok = buffer.Write(pattern.data() + first, second);
  bool fits = exact <= capacityBefore || static_cast<size_t>(exact) <= g_allocationCeiling;
  g_allocationCeiling = SIZE_MAX;
  FUZZ_CHECK(ok == fits);
  if (ok) {
    FUZZ_CHECK(buffer.GetCapacity() == std::max(capacityBefore, exact));
  } else {
    FUZZ_CHECK(buffer.GetData() == before && buffer.GetCapacity() == capacityBefore);
    second = 0;
  }
  FUZZ_CHECK(buffer.GetLength() == first + second);
  FUZZ_CHECK(std::memcmp(buffer.GetData(), pattern.data(), static_cast<size_t>(first + second)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string scratchFile = "/tmp/velmora-fuzz-outbuf-" + std::to_string(getpid());
  Input input(data, size);
  COutBuf buffer;
  Model model;
  COutBuf other;
  std::string otherModel;
  int steps = 0;
  while (!input.Empty() && ++steps < 64) {
    uint8_t op = input.Byte();
    int32_t capacityBefore = buffer.GetCapacity();
    switch (op % 17) {
      case 0: {
        std::string bytes = input.Bytes(input.Byte() * 8u);
        bool ok = buffer.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
        model.bytes += bytes;
        FUZZ_CHECK(ok);
        if (!bytes.empty()) CheckGrowth(buffer, capacityBefore, model.bytes.size(), model.growBy);
        else FUZZ_CHECK(buffer.GetCapacity() == capacityBefore);
        break;
      }
      case 1: {
        uint8_t value = input.Byte();
        bool ok = buffer.PutByte(value);
        model.bytes += static_cast<char>(value);
        FUZZ_CHECK(ok);
        CheckGrowth(buffer, capacityBefore, model.bytes.size(), model.growBy);
        break;
      }
      case 2: {
        uint32_t value = input.Dword();
        bool ok = buffer.PutDword(value);
        model.bytes.append(reinterpret_cast<const char*>(&value), 4);
        FUZZ_CHECK(ok);
        CheckGrowth(buffer, capacityBefore, model.bytes.size(), model.growBy);
        break;
      }
      case 3: {
        std::string text = input.Bytes(input.Byte());
        text = text.substr(0, text.find('\0'));
        Append(buffer, model, text, buffer.PutString(text.c_str()), capacityBefore);
        break;
      }
      case 4: {
        std::string text = input.Bytes(input.Byte() % 64);
        text = text.substr(0, text.find('\0'));
        int number = static_cast<int32_t>(input.Dword());
        bool ok = buffer.Printf("[%s|%d]", text.c_str(), number);
        Append(buffer, model, "[" + text + "|" + std::to_string(number) + "]", ok, capacityBefore);
        break;
      }
      case 5: {
        int32_t lengthBefore = buffer.GetLength();
        const char* text = buffer.CStr();
        FUZZ_CHECK(text != nullptr);
        FUZZ_CHECK(text[lengthBefore] == '\0');
        FUZZ_CHECK(buffer.GetLength() == lengthBefore);
        if (lengthBefore == capacityBefore) CheckGrowth(buffer, capacityBefore, model.bytes.size() + 1, model.growBy);
        break;
      }
      case 6:
        buffer.Clear();
        model.bytes.clear();
        FUZZ_CHECK(buffer.GetCapacity() == 0);
        break;
      case 7: {
        // Steps from -8 to 1015, the non-positive ones refused.
        int32_t step = static_cast<int32_t>(input.Byte() * 4 + input.Byte() % 4) - 8;
        buffer.SetGrowBy(step);
        if (step > 0) model.growBy = step;
        break;
      }
      case 8: {
        int32_t multiple = static_cast<int32_t>(input.Byte() % 80) - 8;
        buffer.Align(multiple);
        if (multiple > 0) {
          while (model.bytes.size() % static_cast<size_t>(multiple) != 0) model.bytes += '\0';
        }
        break;
      }
      case 9: {
        std::string bytes = input.Bytes(input.Byte());
        FUZZ_CHECK(other.Write(bytes.data(), static_cast<int32_t>(bytes.size())));
        otherModel += bytes;
        break;
      }
      case 10:
        Append(buffer, model, otherModel, buffer.Append(other), capacityBefore);
        break;
      case 11: {
        // Round trip through a file: the loaded buffer holds exactly the
        // file's bytes, capacity equal to the size.
        FUZZ_CHECK(buffer.SaveFile(scratchFile.c_str()));
        COutBuf loaded;
        loaded.PutString("old");
        FUZZ_CHECK(loaded.LoadFile(scratchFile.c_str()));
        if (model.bytes.empty()) {
          FUZZ_CHECK(Contents(loaded) == "old");
        } else {
          FUZZ_CHECK(Contents(loaded) == model.bytes);
          FUZZ_CHECK(loaded.GetCapacity() == loaded.GetLength());
        }
        break;
      }
      case 12: {
        bool ok = buffer.Write(nullptr, 0);
        FUZZ_CHECK(ok && buffer.GetCapacity() == capacityBefore);
        break;
      }
      case 13: {
        int32_t count = -static_cast<int32_t>(input.Byte()) - 1;
        std::string junk(8, 'j');
        FUZZ_CHECK(!buffer.Write(junk.data(), count));
        FUZZ_CHECK(buffer.GetCapacity() == capacityBefore);
        break;
      }
      case 14: {
        // The buffer's own bytes: all of them (Append), or a piece of them,
        // while growth may move the storage they lie in.
        if (model.bytes.size() > 32 * 1024) break;
        if (op & 0x80) {
          Append(buffer, model, model.bytes, buffer.Append(buffer), capacityBefore);
        } else if (!model.bytes.empty()) {
          size_t from = input.Dword() % model.bytes.size();
          size_t count = 1 + input.Byte() % (model.bytes.size() - from);
          std::string piece = model.bytes.substr(from, count);
          bool ok = buffer.Write(buffer.GetData() + from, static_cast<int32_t>(count));
          Append(buffer, model, piece, ok, capacityBefore);
        }
        break;
      }
      case 15:
        GrowUnderPressure(input);
        break;
      case 16: {
        // A read straight into the buffer: room for up to 4 KiB, some of
        // it filled and committed, under an expected size that may lie
        // anywhere; growth still follows the grow step.
        if (op & 0x80) buffer.ExpectSize(static_cast<int32_t>(input.Dword() % (256 * 1024)));
        int32_t room = 1 + input.Byte() * 16;
        char* area = buffer.Room(room);
        FUZZ_CHECK(area != nullptr);
        FUZZ_CHECK(area == buffer.GetData() + buffer.GetLength());
        CheckGrowth(buffer, capacityBefore, model.bytes.size() + static_cast<size_t>(room), model.growBy);
        std::string bytes = input.Bytes(static_cast<size_t>(input.Byte()) * 16 % static_cast<size_t>(room + 1));
        std::memcpy(area, bytes.data(), bytes.size());
        buffer.Commit(static_cast<int32_t>(bytes.size()));
        buffer.Commit(-1);  // refused
        model.bytes += bytes;
        break;
      }
    }
    CheckState(buffer, model);
  }
  unlink(scratchFile.c_str());
  return 0;
}
