// Test doubles at the CEF seam: browsers, hosts, frames, requests, menus and
// command lines that record what the client does with them.
#ifndef VELMORA_TESTS_BROWSER_CEF_DOUBLES_H_
#define VELMORA_TESTS_BROWSER_CEF_DOUBLES_H_

#include <atomic>
#include <string>
#include <vector>

#include "include/cef_browser.h"
#include "include/cef_command_line.h"
#include "include/cef_context_menu_handler.h"
#include "include/cef_request.h"
#include "include/cef_v8.h"

class FakeHost : public CefBrowserHost {
 public:
  explicit FakeHost(HWND window) : window_(window) {}
  void CloseBrowser(bool) override {}
  // As CEF does on its UI thread: the browser's window takes the focus.
  void SetFocus(bool focus) override {
    ++focusRequests;
    if (focus && window_) ::SetFocus(window_);
  }
  CefWindowHandle GetWindowHandle() override { return window_; }

  int focusRequests = 0;

 private:
  HWND window_;
  IMPLEMENT_REFCOUNTING(FakeHost);
};

class FakeFrame : public CefFrame {
 public:
  explicit FakeFrame(bool main = true) : main_(main) {}
  void LoadURL(const CefString& url) override { loadedUrls.push_back(url.ToWString()); }
  void LoadString(const CefString& text, const CefString& url) override {
    loadedStrings.push_back(text.ToWString());
    loadedStringUrls.push_back(url.ToWString());
  }
  void ExecuteJavaScript(const CefString&, const CefString&, int) override {}
  bool IsMain() override { return main_; }
  CefString GetURL() override { return url; }

  std::wstring url;  // the address of the document it shows
  std::vector<std::wstring> loadedUrls, loadedStrings, loadedStringUrls;

 private:
  bool main_;
  IMPLEMENT_REFCOUNTING(FakeFrame);
};

class FakeBrowser : public CefBrowser {
 public:
  // |alive| counts live instances, to see that references are released.
  FakeBrowser(int id, HWND window = nullptr, std::atomic<int>* alive = nullptr)
      : id_(id), host_(new FakeHost(window)), frame_(new FakeFrame()), alive_(alive) {
    if (alive_) ++*alive_;
  }
  ~FakeBrowser() override {
    if (alive_) --*alive_;
  }
  CefRefPtr<CefBrowserHost> GetHost() override { return host_; }
  FakeHost* host() const { return host_.get(); }
  void Reload() override { ++reloads; }
  int GetIdentifier() override { return id_; }
  bool IsSame(CefRefPtr<CefBrowser> that) override {
    return that && that->GetIdentifier() == id_;
  }
  CefRefPtr<CefFrame> GetMainFrame() override { return frame_; }
  FakeFrame* frame() const { return frame_.get(); }

  std::atomic<int> reloads{0};

 private:
  int id_;
  CefRefPtr<FakeHost> host_;
  CefRefPtr<FakeFrame> frame_;
  std::atomic<int>* alive_;
  IMPLEMENT_REFCOUNTING(FakeBrowser);
};

class FakeRequest : public CefRequest {
 public:
  explicit FakeRequest(const std::wstring& url, ResourceType type = RT_MAIN_FRAME,
                       TransitionType transition = TT_EXPLICIT)
      : url_(url), type_(type), transition_(transition) {}
  CefString GetURL() override { return url_; }
  ResourceType GetResourceType() override { return type_; }
  TransitionType GetTransitionType() override { return transition_; }

 private:
  std::wstring url_;
  ResourceType type_;
  TransitionType transition_;
  IMPLEMENT_REFCOUNTING(FakeRequest);
};

class FakeV8Context : public CefV8Context {
 public:
  bool Eval(const CefString& code) override {
    evaluated.push_back(code.ToWString());
    return true;
  }
  std::vector<std::wstring> evaluated;

 private:
  IMPLEMENT_REFCOUNTING(FakeV8Context);
};

class FakeMenuModel : public CefMenuModel {
 public:
  explicit FakeMenuModel(int count) : count_(count) {}
  bool Clear() override {
    count_ = 0;
    return true;
  }
  int GetCount() override { return count_; }

 private:
  int count_;
  IMPLEMENT_REFCOUNTING(FakeMenuModel);
};

class FakeContextMenuParams : public CefContextMenuParams {
  IMPLEMENT_REFCOUNTING(FakeContextMenuParams);
};

class FakeCommandLine : public CefCommandLine {
 public:
  void AppendSwitch(const CefString& name) override { switches.push_back(name.ToWString()); }
  void AppendSwitchWithValue(const CefString& name, const CefString& value) override {
    switches.push_back(L"--" + name.ToWString() + L"=" + value.ToWString());
  }
  bool HasSwitch(const CefString& name) override {
    for (auto& s : switches)
      if (s == name.ToWString()) return true;
    return false;
  }
  CefString GetCommandLineString() override { return L""; }

  std::vector<std::wstring> switches;

 private:
  IMPLEMENT_REFCOUNTING(FakeCommandLine);
};

#endif  // VELMORA_TESTS_BROWSER_CEF_DOUBLES_H_
