// Enumerating endpoints through IMMDeviceEnumerator, as the capture itself opens them: active
// devices only (an unplugged one cannot be opened), each direction's console-role default marked.
#include "host/listen/audio_devices.h"
#include <initguid.h>
#include <functiondiscoverykeys_devpkey.h>
#include <cstdio>

namespace {

std::string Narrow(const wchar_t* text) {
    char buffer[512] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof(buffer) - 1, nullptr, nullptr);
    return buffer;
}

std::string DeviceId(IMMDevice* device) {
    LPWSTR id = nullptr;
    if (!device || FAILED(device->GetId(&id))) return "";
    std::string text = Narrow(id);
    CoTaskMemFree(id);
    return text;
}

std::string DefaultId(IMMDeviceEnumerator* enumerator, EDataFlow flow) {
    IMMDevice* device = nullptr;
    if (FAILED(enumerator->GetDefaultAudioEndpoint(flow, eConsole, &device))) return "";
    std::string id = DeviceId(device);
    device->Release();
    return id;
}

}  // namespace

std::string EndpointFriendlyName(IMMDevice* device) {
    IPropertyStore* store = nullptr;
    std::string name;
    if (SUCCEEDED(device->OpenPropertyStore(STGM_READ, &store))) {
        PROPVARIANT value;
        PropVariantInit(&value);
        if (SUCCEEDED(store->GetValue(PKEY_Device_FriendlyName, &value)) && value.vt == VT_LPWSTR)
            name = Narrow(value.pwszVal);
        PropVariantClear(&value);
        store->Release();
    }
    return name.empty() ? "Default device" : name;
}

std::string EndpointId(IMMDevice* device) { return DeviceId(device); }

std::string DefaultEndpointId(IMMDeviceEnumerator* enumerator, bool output) {
    return DefaultId(enumerator, output ? eRender : eCapture);
}

std::vector<AudioDevice> ListAudioDevices(std::string& fault) {
    std::vector<AudioDevice> devices;
    IMMDeviceEnumerator* enumerator = nullptr;
    HRESULT result = CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                      __uuidof(IMMDeviceEnumerator), (void**)&enumerator);
    if (FAILED(result)) {
        char text[80];
        std::snprintf(text, sizeof(text), "no device enumerator (0x%08lX)", (unsigned long)result);
        fault = text;
        return devices;
    }
    for (EDataFlow flow : {eRender, eCapture}) {
        const std::string defaultId = DefaultId(enumerator, flow);
        IMMDeviceCollection* collection = nullptr;
        UINT count = 0;
        if (FAILED(enumerator->EnumAudioEndpoints(flow, DEVICE_STATE_ACTIVE, &collection))) continue;
        collection->GetCount(&count);
        for (UINT i = 0; i < count; ++i) {
            IMMDevice* device = nullptr;
            if (FAILED(collection->Item(i, &device))) continue;
            AudioDevice entry;
            entry.id = DeviceId(device);
            entry.name = EndpointFriendlyName(device);
            entry.output = flow == eRender;
            entry.isDefault = !entry.id.empty() && entry.id == defaultId;
            devices.push_back(entry);
            device->Release();
        }
        collection->Release();
    }
    enumerator->Release();
    NumberDevices(devices);
    return devices;
}

bool AudioDevicesReport(std::string& text) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::string fault;
    std::vector<AudioDevice> devices = ListAudioDevices(fault);
    CoUninitialize();
    text = fault.empty() ? DeviceListText(devices) : fault;
    return fault.empty();
}
