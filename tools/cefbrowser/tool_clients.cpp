#include "tool_clients.h"

#include <cwchar>
#include <string>

#include "event_log.h"

void ToolApp::OnBeforeCommandLineProcessing(const CefString& process_type,
                                            CefRefPtr<CefCommandLine> command_line) {
  SimpleApp::OnBeforeCommandLineProcessing(process_type, command_line);
  std::wstring type = process_type.empty() ? L"browser" : process_type.ToWString();
  LogEvent(L"PROCESS " + type + L" " + command_line->GetCommandLineString().ToWString());
}

void ToolHandler::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
  SimpleHandler::OnAfterCreated(browser);
  LogEvent(L"BROWSER_CREATED " + std::to_wstring(browser->GetIdentifier()));
  // Let the window lay the new browser out.
  PostMessageW(m_hHostWnd, WM_SIZE, 0, 0);
}

void ToolHandler::OnLoadEnd(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> frame,
                            int httpStatusCode) {
  if (!frame->IsMain()) return;
  LogEvent(L"LOAD_END " + std::to_wstring(httpStatusCode) + L" " + frame->GetURL().ToWString());
  if (m_dumpErrorPages && m_errorPageShown) {
    // Only the error page is dumped; "injected" tells whether page text ran.
    frame->ExecuteJavaScript(
        "if (document.body && document.body.innerHTML.indexOf('Failed to load URL') >= 0)"
        "  document.title = 'DOC:' + (typeof window.injected) + ':' +"
        "      document.body.children.length + ':' + document.body.innerHTML;",
        frame->GetURL(), 0);
  }
}

void ToolHandler::OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                              ErrorCode errorCode, const CefString& errorText,
                              const CefString& failedUrl) {
  LogEvent(L"LOAD_ERROR " + std::to_wstring(errorCode) + L" " + failedUrl.ToWString());
  if (errorCode != ERR_ABORTED) m_errorPageShown = true;
  SimpleHandler::OnLoadError(browser, frame, errorCode, errorText, failedUrl);
}

bool ToolHandler::OnBeforeBrowse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                 CefRefPtr<CefRequest> request, bool is_redirect) {
  bool cancel = SimpleHandler::OnBeforeBrowse(browser, frame, request, is_redirect);
  wchar_t transition[16];
  swprintf(transition, 16, L"%08x", static_cast<unsigned>(request->GetTransitionType()));
  LogEvent(std::wstring(L"BROWSE ") + (cancel ? L"cancelled " : L"allowed ") +
           (frame && frame->IsMain() ? L"main " : L"sub ") + transition + (is_redirect ? L" redirect " : L" ") +
           request->GetURL().ToWString());
  return cancel;
}

CefRequestHandler::ReturnValue ToolHandler::OnBeforeResourceLoad(CefRefPtr<CefBrowser> browser,
                                                                 CefRefPtr<CefFrame> frame,
                                                                 CefRefPtr<CefRequest> request,
                                                                 CefRefPtr<CefRequestCallback> callback) {
  ReturnValue answer = SimpleHandler::OnBeforeResourceLoad(browser, frame, request, callback);
  if (answer == RV_CANCEL)
    LogEvent(L"LOAD_REFUSED " + std::to_wstring(request->GetResourceType()) + L" " + request->GetURL().ToWString());
  return answer;
}
