// A real, hidden window that records the custom messages it receives, with
// a copy of the text in lParam (as the real receivers copy it).
#ifndef VELMORA_TESTS_BROWSER_MESSAGE_RECORDER_H_
#define VELMORA_TESTS_BROWSER_MESSAGE_RECORDER_H_

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

struct RecordedMessage {
  UINT message;
  WPARAM wParam;
  bool hasText;  // false when lParam was null
  std::wstring text;
};

class MessageRecorder {
 public:
  MessageRecorder() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelmoraMessageRecorder";
    RegisterClassW(&wc);  // Fails harmlessly when already registered.
    hwnd = CreateWindowExW(0, wc.lpszClassName, L"recorder", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                           100, nullptr, nullptr, wc.hInstance, this);
  }
  ~MessageRecorder() { DestroyWindow(hwnd); }

  std::vector<RecordedMessage> Messages() {
    std::lock_guard<std::mutex> lock(lock_);
    return messages_;
  }

  HWND hwnd;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<MessageRecorder*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg >= WM_USER + 1003 && msg <= WM_USER + 1010) {
      const wchar_t* text = reinterpret_cast<const wchar_t*>(lp);
      std::lock_guard<std::mutex> lock(self->lock_);
      self->messages_.push_back({msg, wp, text != nullptr, text ? text : L""});
      return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }

  std::mutex lock_;
  std::vector<RecordedMessage> messages_;
};

#endif  // VELMORA_TESTS_BROWSER_MESSAGE_RECORDER_H_
