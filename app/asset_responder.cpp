// The process's asset responder, made during static initialisation and
// destroyed at exit. Nothing in the client feeds it requests.
#include "server/HTTPServer.h"

CHTTPServer g_assetResponder;
