#include "AudioSession.h"

#include <windows.h>
#include <objbase.h>

#include "CCoreAudioVolume.h"

CAudioSession::CAudioSession() : m_soundOn(true), m_comInitialized(false) {}

void CAudioSession::Open() {
  // Start-up's apartment usually refuses this (RPC_E_CHANGED_MODE); an
  // initialisation that took is undone by Close.
  m_comInitialized = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  CCoreAudioVolume::OpenRenderDevices();
  CCoreAudioVolume::SetSessionMute(!m_soundOn);
}

void CAudioSession::Toggle() {
  const bool wasOn = m_soundOn;
  m_soundOn = !m_soundOn;
  CCoreAudioVolume::SetSessionMute(wasOn);
}

void CAudioSession::Close() {
  CCoreAudioVolume::CloseRenderDevices();
  if (m_comInitialized) ::CoUninitialize();
  m_comInitialized = false;
}
