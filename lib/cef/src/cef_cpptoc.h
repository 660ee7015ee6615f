// Hands an object of ours to libcef as a C function table. Each Wrap makes a
// table with a count of its own that starts at one; that reference belongs
// to whoever receives the table. The table keeps the C++ object alive until
// libcef releases its last reference.
#ifndef CEF_SRC_CEF_CPPTOC_H_
#define CEF_SRC_CEF_CPPTOC_H_

#include <atomic>
#include <cstring>

#include "include/cef_base.h"
#include "include/internal/cef_c_interfaces.h"

template <class Struct, class Cpp>
class CefCppToC {
 public:
  typedef void (*FillFn)(Struct* table);

  static Struct* Wrap(CefRefPtr<Cpp> object, FillFn fill) {
    if (!object) return nullptr;
    CefCppToC* bridge = new CefCppToC(object);
    fill(&bridge->table_);
    return &bridge->table_;
  }

  // The object behind a table that Wrap made (no reference is taken).
  static Cpp* Get(Struct* table) { return FromTable(table)->object_.get(); }
  static Cpp* Get(cef_base_t* base) { return Get(reinterpret_cast<Struct*>(base)); }

  // True when |table| was made by Wrap of this bridge type.
  static bool IsOurs(Struct* table) {
    return table && reinterpret_cast<cef_base_t*>(table)->add_ref == &AddRef;
  }

 private:
  explicit CefCppToC(CefRefPtr<Cpp> object) : object_(object), count_(1) {
    std::memset(&table_, 0, sizeof(table_));
    cef_base_t* base = reinterpret_cast<cef_base_t*>(&table_);
    base->size = sizeof(Struct);
    base->add_ref = &AddRef;
    base->release = &Release;
    base->has_one_ref = &HasOneRef;
  }

  static CefCppToC* FromTable(void* table) {
    return reinterpret_cast<CefCppToC*>(reinterpret_cast<char*>(table) -
                                        offsetof(CefCppToC, table_));
  }
  static void CEF_CALLBACK AddRef(cef_base_t* self) {
    FromTable(self)->count_.fetch_add(1, std::memory_order_relaxed);
  }
  static int CEF_CALLBACK Release(cef_base_t* self) {
    CefCppToC* bridge = FromTable(self);
    if (bridge->count_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      delete bridge;
      return 1;
    }
    return 0;
  }
  static int CEF_CALLBACK HasOneRef(cef_base_t* self) {
    return FromTable(self)->count_.load(std::memory_order_acquire) == 1;
  }

  Struct table_;
  CefRefPtr<Cpp> object_;
  std::atomic<int> count_;
};

#endif  // CEF_SRC_CEF_CPPTOC_H_
