// The game window's sound: its switch and this process's audio session on
// the playback devices (CCoreAudioVolume), opened with the window and closed
// when it goes.
#pragma once

class CAudioSession {
 public:
  CAudioSession();
  CAudioSession(const CAudioSession&) = delete;
  CAudioSession& operator=(const CAudioSession&) = delete;

  // Takes the list of playback devices and applies the switch: the session
  // is muted exactly when sound is off.
  void Open();
  // Flips the switch: turning sound off mutes, turning it on unmutes.
  void Toggle();
  // Lets the devices go; the switch then reaches none.
  void Close();

  bool IsSoundOn() const { return m_soundOn; }

  // Sound plays; on at first.
  bool m_soundOn;

 private:
  // Open's own COM initialisation took and is undone by Close.
  bool m_comInitialized;
};
