// The client's own update, hooked into start-up and shutdown (main.cpp):
// the check runs on a thread of its own from the start, and a verified
// installer is started only when the client ends.
#ifndef VELMORA_APP_UPDATE_CLIENT_H_
#define VELMORA_APP_UPDATE_CLIENT_H_

// Starts the check in the background; returns at once.
void StartUpdateCheck();

// The last step of shutdown, after CEF has shut down and no game window is
// left: stops a check that is still running and starts an installer that
// the check has verified. Shows nothing.
void ApplyUpdateAtExit();

#endif  // VELMORA_APP_UPDATE_CLIENT_H_
