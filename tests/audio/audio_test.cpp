// CCoreAudioVolume on Wine's real Core Audio. VELMORA_AUDIO_DEVICES says how
// many active playback devices the ALSA configuration of this run provides
// (see CMakeLists.txt). The module reads each session's mute back with
// ISimpleAudioVolume::GetMute right after setting it.
#include <gtest/gtest.h>

#include <endpointvolume.h>

#include <cstdlib>
#include <functional>
#include <thread>

#include "CCoreAudioVolume.h"

namespace {

UINT ExpectedDevices() {
  char value[8] = {};
  if (!::GetEnvironmentVariableA("VELMORA_AUDIO_DEVICES", value, sizeof(value))) return 0;
  return static_cast<UINT>(std::atoi(value));
}

// Visits every active playback device, independently of the module.
void ForEachDevice(const std::function<void(IMMDevice*)>& visit) {
  IMMDeviceEnumerator* enumerator = nullptr;
  ASSERT_HRESULT_SUCCEEDED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                              __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(&enumerator)));
  IMMDeviceCollection* devices = nullptr;
  UINT count = 0;
  if (SUCCEEDED(enumerator->EnumAudioEndpoints(eRender, DEVICE_STATE_ACTIVE, &devices))) {
    devices->GetCount(&count);
    for (UINT i = 0; i < count; ++i) {
      IMMDevice* device = nullptr;
      if (SUCCEEDED(devices->Item(i, &device))) {
        visit(device);
        device->Release();
      }
    }
    devices->Release();
  }
  enumerator->Release();
}

// The device's master mute, which the module must leave alone.
std::vector<bool> MasterMutes() {
  std::vector<bool> mutes;
  ForEachDevice([&](IMMDevice* device) {
    IAudioEndpointVolume* endpoint = nullptr;
    if (FAILED(device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_INPROC_SERVER, nullptr,
                                reinterpret_cast<void**>(&endpoint))))
      return;
    BOOL mute = FALSE;
    endpoint->GetMute(&mute);
    mutes.push_back(mute != FALSE);
    endpoint->Release();
  });
  return mutes;
}

// Whether this thread still has COM: a further initialisation of the same
// kind then answers S_FALSE (and is undone at once).
bool ThreadHasCom(DWORD model) {
  HRESULT hr = ::CoInitializeEx(nullptr, model);
  if (SUCCEEDED(hr)) ::CoUninitialize();
  return hr == S_FALSE || hr == RPC_E_CHANGED_MODE;
}

// Runs body on a fresh thread, as the window thread with start-up's COM.
void OnFreshThread(const std::function<void()>& body) {
  std::thread thread(body);
  thread.join();
}

class AudioMute : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }  // start-up's apartment
  void TearDown() override {
    CCoreAudioVolume::CloseRenderDevices();
    ::CoUninitialize();
  }
};

}  // namespace

TEST_F(AudioMute, OpeningListsTheActivePlaybackDevices) {
  CCoreAudioVolume::OpenRenderDevices();
  EXPECT_EQ(CCoreAudioVolume::GetDeviceCount(), ExpectedDevices());
  EXPECT_EQ(CCoreAudioVolume::GetUsableDeviceCount(), ExpectedDevices());
}

TEST_F(AudioMute, MuteAndUnmuteReadBack) {
  CCoreAudioVolume::OpenRenderDevices();
  const std::vector<bool> master = MasterMutes();
  EXPECT_TRUE(CCoreAudioVolume::SetSessionMute(true));
  EXPECT_EQ(CCoreAudioVolume::GetConfirmedDeviceCount(), ExpectedDevices());
  EXPECT_EQ(MasterMutes(), master);  // the master volume is not the switch
  EXPECT_TRUE(CCoreAudioVolume::SetSessionMute(false));
  EXPECT_EQ(CCoreAudioVolume::GetConfirmedDeviceCount(), ExpectedDevices());
  EXPECT_EQ(MasterMutes(), master);
}

TEST_F(AudioMute, AClosedModuleDoesNothing) {
  CCoreAudioVolume::OpenRenderDevices();
  CCoreAudioVolume::SetSessionMute(false);
  CCoreAudioVolume::CloseRenderDevices();
  EXPECT_EQ(CCoreAudioVolume::GetUsableDeviceCount(), 0u);
  EXPECT_TRUE(CCoreAudioVolume::SetSessionMute(true));
  EXPECT_EQ(CCoreAudioVolume::GetConfirmedDeviceCount(), 0u);  // no device was touched
  CCoreAudioVolume::CloseRenderDevices();  // closing twice is harmless
}

TEST_F(AudioMute, ReopeningWorks) {
  for (int round = 0; round < 3; ++round) {
    CCoreAudioVolume::OpenRenderDevices();
    EXPECT_EQ(CCoreAudioVolume::GetUsableDeviceCount(), ExpectedDevices());
    CCoreAudioVolume::SetSessionMute(true);
    EXPECT_EQ(CCoreAudioVolume::GetConfirmedDeviceCount(), ExpectedDevices());
    CCoreAudioVolume::SetSessionMute(false);
    CCoreAudioVolume::CloseRenderDevices();
  }
  // Opening while open starts afresh instead of listing devices twice.
  CCoreAudioVolume::OpenRenderDevices();
  CCoreAudioVolume::OpenRenderDevices();
  EXPECT_EQ(CCoreAudioVolume::GetUsableDeviceCount(), ExpectedDevices());
}

TEST_F(AudioMute, NullDeviceIsNotUsable) { EXPECT_FALSE(CCoreAudioVolume::IsUsableDevice(nullptr)); }

TEST_F(AudioMute, ListedDevicesAreUsable) {
  ForEachDevice([](IMMDevice* device) { EXPECT_TRUE(CCoreAudioVolume::IsUsableDevice(device)); });
}

TEST(AudioCom, ClosingLeavesStartUpsApartmentAlone) {
  OnFreshThread([] {
    ASSERT_EQ(::CoInitialize(nullptr), S_OK);  // start-up
    // The game window asks for the other kind; that is refused here.
    EXPECT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    CCoreAudioVolume::OpenRenderDevices();
    CCoreAudioVolume::CloseRenderDevices();
    EXPECT_TRUE(ThreadHasCom(COINIT_APARTMENTTHREADED));
    ::CoUninitialize();
    EXPECT_FALSE(ThreadHasCom(COINIT_APARTMENTTHREADED));
  });
}

TEST(AudioCom, ClosingEndsItsOwnInitialisation) {
  OnFreshThread([] {
    CCoreAudioVolume::OpenRenderDevices();
    EXPECT_TRUE(ThreadHasCom(COINIT_APARTMENTTHREADED));
    CCoreAudioVolume::CloseRenderDevices();
    EXPECT_FALSE(ThreadHasCom(COINIT_APARTMENTTHREADED));
  });
}

TEST(AudioCom, ClosingOnAMultithreadedThreadLeavesItsApartment) {
  OnFreshThread([] {
    ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CCoreAudioVolume::OpenRenderDevices();
    EXPECT_EQ(CCoreAudioVolume::GetUsableDeviceCount(), ExpectedDevices());
    CCoreAudioVolume::CloseRenderDevices();
    EXPECT_TRUE(ThreadHasCom(COINIT_MULTITHREADED));
    ::CoUninitialize();
  });
}
