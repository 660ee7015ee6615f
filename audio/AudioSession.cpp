#include "AudioSession.h"

#include <windows.h>
#include <objbase.h>

#include "CCoreAudioVolume.h"

CAudioSession::CAudioSession() : m_soundOn(true) {}

void CAudioSession::Open() {
  // The window thread has a single-threaded apartment from start-up, which
  // refuses this; Core Audio works in either.
  ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  CCoreAudioVolume::OpenRenderDevices();
  CCoreAudioVolume::SetSessionMute(!m_soundOn);
}

void CAudioSession::Toggle() {
  const bool wasOn = m_soundOn;
  m_soundOn = !m_soundOn;
  CCoreAudioVolume::SetSessionMute(wasOn);
}

void CAudioSession::Close() { CCoreAudioVolume::CloseRenderDevices(); }
