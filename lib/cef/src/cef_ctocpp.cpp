#include "cef_ctocpp.h"

#include "cef_library.h"

namespace {

// Owns one reference of a C object.
template <class Struct>
class CRef {
 public:
  explicit CRef(Struct* s) : s_(s) {}
  ~CRef() { s_->base.release(&s_->base); }
  CRef(const CRef&) = delete;
  CRef& operator=(const CRef&) = delete;
  Struct* get() const { return s_; }

 private:
  Struct* s_;
};

class BrowserHostProxy : public CefBrowserHost {
 public:
  explicit BrowserHostProxy(cef_browser_host_t* s) : c_(s) {}
  void CloseBrowser(bool force_close) override {
    c_.get()->close_browser(c_.get(), force_close ? 1 : 0);
  }
  void SetFocus(bool focus) override { c_.get()->set_focus(c_.get(), focus ? 1 : 0); }
  CefWindowHandle GetWindowHandle() override { return c_.get()->get_window_handle(c_.get()); }

 private:
  CRef<cef_browser_host_t> c_;
  IMPLEMENT_REFCOUNTING(BrowserHostProxy);
};

class BrowserProxy : public CefBrowser {
 public:
  explicit BrowserProxy(cef_browser_t* s) : c_(s) {}
  cef_browser_t* c() const { return c_.get(); }

  CefRefPtr<CefBrowserHost> GetHost() override {
    return CefBrowserHostFromC(c_.get()->get_host(c_.get()));
  }
  void Reload() override { c_.get()->reload(c_.get()); }
  int GetIdentifier() override { return c_.get()->get_identifier(c_.get()); }
  bool IsSame(CefRefPtr<CefBrowser> that) override {
    BrowserProxy* other = dynamic_cast<BrowserProxy*>(that.get());
    if (!other) return false;
    // An argument carries a reference that the callee releases.
    other->c()->base.add_ref(&other->c()->base);
    return c_.get()->is_same(c_.get(), other->c()) != 0;
  }
  CefRefPtr<CefFrame> GetMainFrame() override {
    return CefFrameFromC(c_.get()->get_main_frame(c_.get()));
  }

 private:
  CRef<cef_browser_t> c_;
  IMPLEMENT_REFCOUNTING(BrowserProxy);
};

class FrameProxy : public CefFrame {
 public:
  explicit FrameProxy(cef_frame_t* s) : c_(s) {}
  void LoadURL(const CefString& url) override {
    cef_string_t u = url.AsBorrowed();
    c_.get()->load_url(c_.get(), &u);
  }
  void LoadString(const CefString& string_val, const CefString& url) override {
    cef_string_t s = string_val.AsBorrowed();
    cef_string_t u = url.AsBorrowed();
    c_.get()->load_string(c_.get(), &s, &u);
  }
  void ExecuteJavaScript(const CefString& code, const CefString& script_url,
                         int start_line) override {
    cef_string_t c = code.AsBorrowed();
    cef_string_t u = script_url.AsBorrowed();
    c_.get()->execute_java_script(c_.get(), &c, &u, start_line);
  }
  bool IsMain() override { return c_.get()->is_main(c_.get()) != 0; }
  CefString GetURL() override { return CefTakeUserFreeString(c_.get()->get_url(c_.get())); }

 private:
  CRef<cef_frame_t> c_;
  IMPLEMENT_REFCOUNTING(FrameProxy);
};

class RequestProxy : public CefRequest {
 public:
  explicit RequestProxy(cef_request_t* s) : c_(s) {}
  CefString GetURL() override { return CefTakeUserFreeString(c_.get()->get_url(c_.get())); }
  ResourceType GetResourceType() override { return c_.get()->get_resource_type(c_.get()); }
  TransitionType GetTransitionType() override { return c_.get()->get_transition_type(c_.get()); }

 private:
  CRef<cef_request_t> c_;
  IMPLEMENT_REFCOUNTING(RequestProxy);
};

class RequestCallbackProxy : public CefRequestCallback {
 public:
  explicit RequestCallbackProxy(cef_request_callback_t* s) : c_(s) {}

 private:
  CRef<cef_request_callback_t> c_;
  IMPLEMENT_REFCOUNTING(RequestCallbackProxy);
};

class V8ContextProxy : public CefV8Context {
 public:
  explicit V8ContextProxy(cef_v8context_t* s) : c_(s) {}
  bool Eval(const CefString& code) override {
    cef_string_t text = code.AsBorrowed();
    cef_base_t* result = nullptr;
    cef_base_t* exception = nullptr;
    bool ok = c_.get()->eval(c_.get(), &text, &result, &exception) != 0;
    if (result) result->release(result);
    if (exception) exception->release(exception);
    return ok;
  }

 private:
  CRef<cef_v8context_t> c_;
  IMPLEMENT_REFCOUNTING(V8ContextProxy);
};

class CommandLineProxy : public CefCommandLine {
 public:
  explicit CommandLineProxy(cef_command_line_t* s) : c_(s) {}
  void AppendSwitch(const CefString& name) override {
    cef_string_t n = name.AsBorrowed();
    c_.get()->append_switch(c_.get(), &n);
  }
  void AppendSwitchWithValue(const CefString& name, const CefString& value) override {
    cef_string_t n = name.AsBorrowed();
    cef_string_t v = value.AsBorrowed();
    c_.get()->append_switch_with_value(c_.get(), &n, &v);
  }
  bool HasSwitch(const CefString& name) override {
    cef_string_t n = name.AsBorrowed();
    return c_.get()->has_switch(c_.get(), &n) != 0;
  }
  CefString GetCommandLineString() override {
    return CefTakeUserFreeString(c_.get()->get_command_line_string(c_.get()));
  }

 private:
  CRef<cef_command_line_t> c_;
  IMPLEMENT_REFCOUNTING(CommandLineProxy);
};

class MenuModelProxy : public CefMenuModel {
 public:
  explicit MenuModelProxy(cef_menu_model_t* s) : c_(s) {}
  bool Clear() override { return c_.get()->clear(c_.get()) != 0; }
  int GetCount() override { return c_.get()->get_count(c_.get()); }

 private:
  CRef<cef_menu_model_t> c_;
  IMPLEMENT_REFCOUNTING(MenuModelProxy);
};

class ContextMenuParamsProxy : public CefContextMenuParams {
 public:
  explicit ContextMenuParamsProxy(cef_context_menu_params_t* s) : c_(s) {}

 private:
  CRef<cef_context_menu_params_t> c_;
  IMPLEMENT_REFCOUNTING(ContextMenuParamsProxy);
};

template <class Proxy, class Struct>
Proxy* Adopt(Struct* s) {
  return s ? new Proxy(s) : nullptr;
}

}  // namespace

CefRefPtr<CefBrowser> CefBrowserFromC(cef_browser_t* s) { return Adopt<BrowserProxy>(s); }
CefRefPtr<CefBrowserHost> CefBrowserHostFromC(cef_browser_host_t* s) {
  return Adopt<BrowserHostProxy>(s);
}
CefRefPtr<CefFrame> CefFrameFromC(cef_frame_t* s) { return Adopt<FrameProxy>(s); }
CefRefPtr<CefRequest> CefRequestFromC(cef_request_t* s) { return Adopt<RequestProxy>(s); }
CefRefPtr<CefRequestCallback> CefRequestCallbackFromC(cef_request_callback_t* s) {
  return Adopt<RequestCallbackProxy>(s);
}
CefRefPtr<CefV8Context> CefV8ContextFromC(cef_v8context_t* s) { return Adopt<V8ContextProxy>(s); }
CefRefPtr<CefCommandLine> CefCommandLineFromC(cef_command_line_t* s) {
  return Adopt<CommandLineProxy>(s);
}
CefRefPtr<CefMenuModel> CefMenuModelFromC(cef_menu_model_t* s) {
  return Adopt<MenuModelProxy>(s);
}
CefRefPtr<CefContextMenuParams> CefContextMenuParamsFromC(cef_context_menu_params_t* s) {
  return Adopt<ContextMenuParamsProxy>(s);
}
