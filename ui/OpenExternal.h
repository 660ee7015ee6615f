#pragma once
#include <windows.h>

// Hands a web address to the system's web browser. Only http and https
// addresses leave the client: a page must not be able to start a local
// program or open a local document (file:, UNC paths, bare paths).
// Returns whether the address was handed on.
bool OpenInSystemBrowser(const wchar_t* url);

// Whether OpenInSystemBrowser would hand this address on.
bool IsWebAddress(const wchar_t* url);
