// CCoreAudioVolume: mutes this process's default audio session on every
// active playback device (Core Audio), without touching the master volume
// or other programs' sound. Process-wide state, used from the window thread.
#pragma once

#include <windows.h>
#include <mmdeviceapi.h>

#include <vector>

class CCoreAudioVolume {
 public:
  // Takes the list of active playback devices once. Opening while open
  // closes the previous state first.
  static void OpenRenderDevices();
  // The filter used while opening: the device's property store can be read.
  static bool IsUsableDevice(IMMDevice* pDevice);
  // Sets the mute state of this process's default session on every listed
  // device; with no devices (or closed) it does nothing. Returns true.
  static bool SetSessionMute(bool bMute);
  // How many devices' sessions read back (GetMute) the state of the last
  // SetSessionMute. The same volume object is asked: Wine hands out a new
  // session for every request of the default one, so a second request
  // cannot see the first one's state there.
  static UINT GetConfirmedDeviceCount() { return m_nConfirmed; }
  // Releases everything. COM is uninitialised only if opening initialised it.
  static void CloseRenderDevices();

  static UINT GetDeviceCount() { return m_nDeviceCount; }
  static size_t GetUsableDeviceCount() { return m_devices.size(); }

 private:
  static IMMDeviceEnumerator* m_pEnumerator;
  static IMMDeviceCollection* m_pCollection;
  static UINT m_nDeviceCount;
  static std::vector<IMMDevice*> m_devices;
  static bool m_bComInitialized;
  static UINT m_nConfirmed;
};
