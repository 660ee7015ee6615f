// The application object handed to libcef, and the process entry points.
#include <atomic>
#include <functional>
#include <mutex>

#include "cef_bridges.h"
#include "cef_cpptoc.h"
#include "cef_ctocpp.h"
#include "cef_library.h"
#include "include/cef_app.h"
#include "include/cef_task.h"
#include "include/test/cef_test_seam.h"

namespace {

typedef CefCppToC<cef_app_t, CefApp> AppBridge;
typedef CefCppToC<cef_browser_process_handler_t, CefBrowserProcessHandler> ProcessHandlerBridge;
typedef CefCppToC<cef_render_process_handler_t, CefRenderProcessHandler> RenderHandlerBridge;

enum class ContextState { kNone, kInitialized, kShuttingDown, kShutDown };
std::atomic<ContextState> g_state{ContextState::kNone};
std::atomic<int> g_callbacks_under_way{0};

std::mutex g_hook_lock;
std::function<void()> g_quit_hook;

void CEF_CALLBACK OnContextInitialized(cef_browser_process_handler_t* self) {
  ProcessHandlerBridge::Get(self)->OnContextInitialized();
}

void CEF_CALLBACK OnBeforeChildProcessLaunch(cef_browser_process_handler_t* self,
                                             cef_command_line_t* command_line) {
  ProcessHandlerBridge::Get(self)->OnBeforeChildProcessLaunch(CefCommandLineFromC(command_line));
}

void FillProcessHandler(cef_browser_process_handler_t* t) {
  t->on_context_initialized = &OnContextInitialized;
  t->on_before_child_process_launch = &OnBeforeChildProcessLaunch;
}

void CEF_CALLBACK OnBeforeCommandLineProcessing(cef_app_t* self, const cef_string_t* process_type,
                                                cef_command_line_t* command_line) {
  AppBridge::Get(self)->OnBeforeCommandLineProcessing(CefString(process_type),
                                                      CefCommandLineFromC(command_line));
}

cef_browser_process_handler_t* CEF_CALLBACK GetBrowserProcessHandler(cef_app_t* self) {
  return ProcessHandlerBridge::Wrap(AppBridge::Get(self)->GetBrowserProcessHandler(),
                                    &FillProcessHandler);
}

// Runs in a renderer process, where no window of ours exists.
int CEF_CALLBACK OnBeforeNavigation(cef_render_process_handler_t* self, cef_browser_t* browser,
                                    cef_frame_t* frame, cef_request_t* request,
                                    cef_navigation_type_t navigation_type, int is_redirect) {
  return RenderHandlerBridge::Get(self)->OnBeforeNavigation(CefBrowserFromC(browser), CefFrameFromC(frame),
                                                            CefRequestFromC(request), navigation_type,
                                                            is_redirect != 0);
}

void CEF_CALLBACK OnContextCreated(cef_render_process_handler_t* self, cef_browser_t* browser,
                                   cef_frame_t* frame, cef_v8context_t* context) {
  RenderHandlerBridge::Get(self)->OnContextCreated(CefBrowserFromC(browser), CefFrameFromC(frame),
                                                   CefV8ContextFromC(context));
}

void FillRenderProcessHandler(cef_render_process_handler_t* t) {
  t->on_before_navigation = &OnBeforeNavigation;
  t->on_context_created = &OnContextCreated;
}

cef_render_process_handler_t* CEF_CALLBACK GetRenderProcessHandler(cef_app_t* self) {
  return RenderHandlerBridge::Wrap(AppBridge::Get(self)->GetRenderProcessHandler(), &FillRenderProcessHandler);
}

void FillApp(cef_app_t* t) {
  t->on_before_command_line_processing = &OnBeforeCommandLineProcessing;
  t->get_browser_process_handler = &GetBrowserProcessHandler;
  t->get_render_process_handler = &GetRenderProcessHandler;
}

}  // namespace

cef_app_t* CefAppToC(CefRefPtr<CefApp> app) { return AppBridge::Wrap(app, &FillApp); }

bool CefContextIsInitialized() { return g_state.load() == ContextState::kInitialized; }

bool CefCurrentlyOn(CefThreadId threadId) {
  ContextState state = g_state.load();
  // Callbacks still arrive while CefShutdown closes the browsers.
  if (state != ContextState::kInitialized && state != ContextState::kShuttingDown) return true;
  return CefLoadLibrary()->currently_on(threadId) != 0;
}

bool CefBeginClientCallback() {
  g_callbacks_under_way.fetch_add(1);
  ContextState state = g_state.load();
  if (state == ContextState::kShuttingDown || state == ContextState::kShutDown) {
    g_callbacks_under_way.fetch_sub(1);
    return false;
  }
  return true;
}

void CefEndClientCallback() { g_callbacks_under_way.fetch_sub(1); }

int CefExecuteProcess(const CefMainArgs& args, CefRefPtr<CefApp> application,
                      void* windows_sandbox_info) {
  const CefLibrary* lib = CefLoadLibrary();
  if (!lib) return 0;
  return lib->execute_process(&args, CefAppToC(application),
                              windows_sandbox_info);
}

bool CefInitialize(const CefMainArgs& args, const CefSettings& settings,
                   CefRefPtr<CefApp> application, void* windows_sandbox_info) {
  const CefLibrary* lib = CefLoadLibrary();
  if (!lib || g_state.load() != ContextState::kNone) return false;
  bool ok = lib->initialize(&args, &settings, CefAppToC(application),
                            windows_sandbox_info) != 0;
  if (ok) g_state = ContextState::kInitialized;
  return ok;
}

void CefShutdown() {
  ContextState expected = ContextState::kInitialized;
  if (!g_state.compare_exchange_strong(expected, ContextState::kShuttingDown)) return;
  // Callbacks already under way may be waiting for this thread's windows.
  while (g_callbacks_under_way.load() > 0) {
    MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_SENDMESSAGE, 0);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  CefLoadLibrary()->shutdown();
  g_state = ContextState::kShutDown;
}

void CefRunMessageLoop() {
  if (g_state.load() != ContextState::kInitialized) return;
  CefLoadLibrary()->run_message_loop();
}

void CefQuitMessageLoop() {
  {
    std::lock_guard<std::mutex> lock(g_hook_lock);
    if (g_quit_hook) {
      g_quit_hook();
      return;
    }
  }
  if (g_state.load() != ContextState::kInitialized) return;
  CefLoadLibrary()->quit_message_loop();
}

void CefEnableHighDPISupport() {
  if (const CefLibrary* lib = CefLoadLibrary()) lib->enable_highdpi_support();
}

void CefSetQuitMessageLoopHook(std::function<void()> hook) {
  std::lock_guard<std::mutex> lock(g_hook_lock);
  g_quit_hook = std::move(hook);
}
