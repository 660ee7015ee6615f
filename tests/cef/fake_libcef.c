/* A stand-in libcef.dll that reports another API revision, to test that the
   wrapper refuses it. Its other entry points are never reached. */
const char* cef_api_hash(int entry) {
  (void)entry;
  return "0000000000000000000000000000000000000000";
}
int cef_execute_process(void) { return 77; }
int cef_initialize(void) { return 1; }
void cef_shutdown(void) {}
void cef_run_message_loop(void) {}
void cef_quit_message_loop(void) {}
int cef_browser_host_create_browser(void) { return 1; }
void cef_string_userfree_utf16_free(void) {}
int cef_currently_on(void) { return 0; }
void cef_enable_highdpi_support(void) {}
