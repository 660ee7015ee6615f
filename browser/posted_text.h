// Text that a CEF thread hands to a window without waiting for it: a copy on
// the process heap, posted with the message and freed by the receiver. The
// message's wParam says so; a sent message (wParam 0) lends its text only
// for the call instead.
#ifndef VELMORA_BROWSER_POSTED_TEXT_H_
#define VELMORA_BROWSER_POSTED_TEXT_H_

#include <windows.h>

#include <cwchar>
#include <string>

// wParam of a message whose lParam is a posted copy.
const WPARAM kPostedText = 1;

// Posts |message| with a copy of |text|; false (and nothing left behind)
// when there is no window or the post fails.
inline bool PostText(HWND window, UINT message, const std::wstring& text) {
  if (window == nullptr) return false;
  size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  wchar_t* copy = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, bytes));
  if (copy == nullptr) return false;
  std::wmemcpy(copy, text.c_str(), text.size() + 1);
  if (!PostMessageW(window, message, kPostedText, reinterpret_cast<LPARAM>(copy))) {
    HeapFree(GetProcessHeap(), 0, copy);
    return false;
  }
  return true;
}

// Called by the receiver once it is done with the text of a message.
inline void ReleasePostedText(WPARAM wParam, LPARAM lParam) {
  if (wParam == kPostedText && lParam != 0) HeapFree(GetProcessHeap(), 0, reinterpret_cast<void*>(lParam));
}

#endif  // VELMORA_BROWSER_POSTED_TEXT_H_
