#include "CCoreAudioVolume.h"

#include <audiopolicy.h>
#include <propsys.h>

#include <cassert>

namespace {

const CLSID kMMDeviceEnumerator = {0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
const IID kIMMDeviceEnumerator = {0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};
const IID kIAudioSessionManager = {0xBFA971F1, 0x4D5E, 0x40BB, {0x93, 0x5E, 0x96, 0x70, 0x39, 0xBF, 0xBE, 0xE4}};
// A text property of the endpoint; a device whose store can't give it is skipped.
const PROPERTYKEY kEndpointTextKey = {{0xB3F8FA53, 0x0004, 0x438E, {0x90, 0x03, 0x51, 0xA4, 0x6E, 0x13, 0x9B, 0xFC}}, 2};

}  // namespace

IMMDeviceEnumerator* CCoreAudioVolume::m_pEnumerator = nullptr;
IMMDeviceCollection* CCoreAudioVolume::m_pCollection = nullptr;
UINT CCoreAudioVolume::m_nDeviceCount = 0;
std::vector<IMMDevice*> CCoreAudioVolume::m_devices;
bool CCoreAudioVolume::m_bComInitialized = false;
UINT CCoreAudioVolume::m_nConfirmed = 0;

void CCoreAudioVolume::OpenRenderDevices() {
  if (m_pEnumerator || m_pCollection || !m_devices.empty() || m_bComInitialized) CloseRenderDevices();

  // The window thread usually has an apartment already (S_FALSE) or one of
  // the other kind (RPC_E_CHANGED_MODE); only a successful call is ours to undo.
  m_bComInitialized = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));

  if (FAILED(::CoCreateInstance(kMMDeviceEnumerator, nullptr, CLSCTX_ALL, kIMMDeviceEnumerator,
                                reinterpret_cast<void**>(&m_pEnumerator)))) {
    m_pEnumerator = nullptr;
    return;
  }
  if (m_pEnumerator->EnumAudioEndpoints(eRender, DEVICE_STATE_ACTIVE, &m_pCollection) != S_OK) {
    if (m_pCollection) m_pCollection->Release();
    m_pCollection = nullptr;
    return;
  }
  if (m_pCollection->GetCount(&m_nDeviceCount) != S_OK) {
    m_nDeviceCount = 0;
    return;
  }
  for (UINT i = 0; i < m_nDeviceCount; ++i) {
    IMMDevice* device = nullptr;
    if (m_pCollection->Item(i, &device) == S_OK && IsUsableDevice(device)) {
      m_devices.push_back(device);  // the list keeps the reference
    } else if (device) {
      device->Release();
    }
  }
}

bool CCoreAudioVolume::IsUsableDevice(IMMDevice* pDevice) {
  if (!pDevice) return false;
  IPropertyStore* store = nullptr;
  if (FAILED(pDevice->OpenPropertyStore(STGM_READ, &store)) || !store) return false;
  PROPVARIANT value;
  ::PropVariantInit(&value);
  const bool readable = SUCCEEDED(store->GetValue(kEndpointTextKey, &value));
  if (readable) ::PropVariantClear(&value);
  store->Release();
  return readable;
}

bool CCoreAudioVolume::SetSessionMute(bool bMute) {
  m_nConfirmed = 0;
  for (IMMDevice* device : m_devices) {
    assert(device && "null entry in the device list");
    if (!device) continue;
    IAudioSessionManager* manager = nullptr;
    if (FAILED(device->Activate(kIAudioSessionManager, CLSCTX_INPROC_SERVER, nullptr,
                                reinterpret_cast<void**>(&manager))) ||
        !manager)
      continue;
    ISimpleAudioVolume* volume = nullptr;
    // A null session GUID is this process's default session.
    const bool got = SUCCEEDED(manager->GetSimpleAudioVolume(nullptr, FALSE, &volume));
    assert((!got || volume) && "session manager gave no volume object");
    if (!got || !volume) {
      manager->Release();
      continue;
    }
    volume->SetMute(bMute ? TRUE : FALSE, &GUID_NULL);
    BOOL muted = !bMute;
    if (SUCCEEDED(volume->GetMute(&muted)) && (muted != FALSE) == bMute) ++m_nConfirmed;
    volume->Release();
    manager->Release();
  }
  return true;
}

void CCoreAudioVolume::CloseRenderDevices() {
  for (IMMDevice*& device : m_devices) {
    if (device) device->Release();
    device = nullptr;
  }
  if (m_pCollection) m_pCollection->Release();
  m_pCollection = nullptr;
  if (m_pEnumerator) m_pEnumerator->Release();
  m_pEnumerator = nullptr;
  m_nDeviceCount = 0;
  // Never end an apartment that start-up (or anyone else) began.
  if (m_bComInitialized) ::CoUninitialize();
  m_bComInitialized = false;
  m_devices.clear();
}
