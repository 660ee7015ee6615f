#pragma once
// COutBuf: the asset responder's growable byte buffer. It holds raw bytes
// (zeros are ordinary content) and grows in whole multiples of its grow step.

#include <cstdint>

class COutBuf {
 public:
  COutBuf();
  ~COutBuf();
  COutBuf(const COutBuf&) = delete;
  COutBuf& operator=(const COutBuf&) = delete;

  virtual void Clear();
  virtual const char* Data() const;
  virtual const char* GetData() const;
  virtual int32_t GetLength() const;
  virtual bool IsEmpty() const;
  virtual bool PutByte(uint8_t value);
  virtual bool PutDword(uint32_t value);
  virtual const char* CStr();
  virtual bool PutString(const char* text);
  virtual bool Write(const void* bytes, int32_t count);
  virtual bool Printf(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  virtual bool LoadFile(const char* path);
  virtual bool SaveFile(const char* path);
  virtual bool Append(const COutBuf& other);
  virtual void SetGrowBy(int32_t step);
  virtual void Align(int32_t multiple);

  // Room for `count` more bytes behind the contents, grown as Write would
  // grow for them; null when storage cannot be had. Bytes put there join
  // the contents with Commit (at most `count` of them), so a download can
  // be read straight into the buffer.
  char* Room(int32_t count);
  void Commit(int32_t count);
  // The size the contents are expected to reach (a download's announced
  // length): the next growth reserves storage for that much at once. The
  // capacity still follows the grow step.
  void ExpectSize(int32_t bytes) { m_expectedSize = bytes > 0 ? bytes : 0; }

  int32_t GetCapacity() const { return m_capacity; }
  int32_t GetGrowBy() const { return m_growBy; }

 private:
  bool Reserve(int64_t needed);

  int32_t m_growBy;
  char* m_data;
  int32_t m_length;
  int32_t m_capacity;
  // Bytes actually allocated. The visible capacity follows the grow-step
  // rule, but storage behind it is reserved geometrically, so streaming a
  // large download in 16 KiB pieces costs linear, not quadratic, copying.
  int32_t m_allocated;
  int32_t m_expectedSize = 0;
};
