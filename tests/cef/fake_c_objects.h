// C objects as libcef would hand them over: counted tables whose counts the
// tests read, to see that the wrapper takes and releases each reference once.
#ifndef VELMORA_TESTS_CEF_FAKE_C_OBJECTS_H_
#define VELMORA_TESTS_CEF_FAKE_C_OBJECTS_H_

#include <cstring>
#include <string>
#include <vector>

#include "include/internal/cef_c_interfaces.h"

template <class Struct>
struct FakeC {
  Struct table;  // first, so a table pointer is a FakeC pointer
  int refs = 0;

  FakeC() {
    std::memset(&table, 0, sizeof(table));
    table.base.size = sizeof(Struct);
    table.base.add_ref = &AddRef;
    table.base.release = &Release;
    table.base.has_one_ref = &HasOneRef;
  }
  // Hands the table over with one new reference, as libcef does.
  Struct* Give() {
    ++refs;
    return &table;
  }
  static FakeC* From(void* t) { return reinterpret_cast<FakeC*>(t); }
  static void CEF_CALLBACK AddRef(cef_base_t* b) { ++From(b)->refs; }
  static int CEF_CALLBACK Release(cef_base_t* b) { return --From(b)->refs == 0; }
  static int CEF_CALLBACK HasOneRef(cef_base_t* b) { return From(b)->refs == 1; }
};

struct FakeCHost : FakeC<cef_browser_host_t> {
  HWND window = nullptr;
  std::vector<int> focusCalls;
  FakeCHost() {
    table.get_window_handle = [](cef_browser_host_t* self) CEF_CALLBACK -> cef_window_handle_t {
      return reinterpret_cast<FakeCHost*>(self)->window;
    };
    table.set_focus = [](cef_browser_host_t* self, int focus) CEF_CALLBACK {
      reinterpret_cast<FakeCHost*>(self)->focusCalls.push_back(focus);
    };
  }
};

struct FakeCBrowser : FakeC<cef_browser_t> {
  int id;
  FakeCHost host;
  explicit FakeCBrowser(int identifier) : id(identifier) {
    table.get_host = [](cef_browser_t* self) CEF_CALLBACK -> cef_browser_host_t* {
      return reinterpret_cast<FakeCBrowser*>(self)->host.Give();
    };
    table.get_identifier = [](cef_browser_t* self) CEF_CALLBACK -> int {
      return reinterpret_cast<FakeCBrowser*>(self)->id;
    };
    table.is_same = [](cef_browser_t* self, cef_browser_t* that) CEF_CALLBACK -> int {
      int same = reinterpret_cast<FakeCBrowser*>(self)->id == reinterpret_cast<FakeCBrowser*>(that)->id;
      that->base.release(&that->base);  // the callee owns the argument's reference
      return same;
    };
  }
};

struct FakeCCommandLine : FakeC<cef_command_line_t> {
  std::vector<std::wstring> switches;
  FakeCCommandLine() {
    table.append_switch = [](cef_command_line_t* self, const cef_string_t* name) CEF_CALLBACK {
      reinterpret_cast<FakeCCommandLine*>(self)->switches.push_back(std::wstring(name->str, name->length));
    };
    table.append_switch_with_value = [](cef_command_line_t* self, const cef_string_t* name,
                                        const cef_string_t* value) CEF_CALLBACK {
      reinterpret_cast<FakeCCommandLine*>(self)->switches.push_back(
          L"--" + std::wstring(name->str, name->length) + L"=" + std::wstring(value->str, value->length));
    };
  }
};

struct FakeCMenuModel : FakeC<cef_menu_model_t> {
  int count = 3;
  FakeCMenuModel() {
    table.clear = [](cef_menu_model_t* self) CEF_CALLBACK -> int {
      reinterpret_cast<FakeCMenuModel*>(self)->count = 0;
      return 1;
    };
  }
};

struct FakeCFrame : FakeC<cef_frame_t> {
  int main;
  explicit FakeCFrame(bool isMain) : main(isMain ? 1 : 0) {
    table.is_main = [](cef_frame_t* self) CEF_CALLBACK -> int { return reinterpret_cast<FakeCFrame*>(self)->main; };
  }
};

// A context whose eval hands back a result and an exception, each with a
// reference, as libcef's does when the code throws.
struct FakeCV8Context : FakeC<cef_v8context_t> {
  FakeC<cef_v8context_t> result, exception;  // any counted table will do
  int evals = 0;
  FakeCV8Context() {
    table.eval = [](cef_v8context_t* self, const cef_string_t*, cef_base_t** retval,
                    cef_base_t** thrown) CEF_CALLBACK -> int {
      FakeCV8Context* me = reinterpret_cast<FakeCV8Context*>(self);
      ++me->evals;
      *retval = &me->result.Give()->base;
      *thrown = &me->exception.Give()->base;
      return 0;
    };
  }
};

// A request with a resource and a transition type. Its URL stays null: a
// string handed over by libcef is freed by libcef's own allocator.
struct FakeCRequest : FakeC<cef_request_t> {
  cef_resource_type_t type;
  cef_transition_type_t transition;
  FakeCRequest(cef_resource_type_t t, cef_transition_type_t tt) : type(t), transition(tt) {
    table.get_url = [](cef_request_t*) CEF_CALLBACK -> cef_string_userfree_t { return nullptr; };
    table.get_resource_type = [](cef_request_t* self) CEF_CALLBACK -> cef_resource_type_t {
      return reinterpret_cast<FakeCRequest*>(self)->type;
    };
    table.get_transition_type = [](cef_request_t* self) CEF_CALLBACK -> cef_transition_type_t {
      return reinterpret_cast<FakeCRequest*>(self)->transition;
    };
  }
};

#endif  // VELMORA_TESTS_CEF_FAKE_C_OBJECTS_H_
