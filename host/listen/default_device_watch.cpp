// The default-device notification (IMMNotificationClient) only wakes the capture thread, which then
// compares the defaults itself; the same comparison once a second covers a platform that sends no
// notification, and several roles' notifications for one change make one switch.
#include "host/listen/default_device_watch.h"
#include <string>
#include "host/listen/audio_devices.h"

namespace {

const DWORD kPollMs = 1000;

// Lives as long as the watch, so its reference count is only for the platform's bookkeeping.
class Notifications : public IMMNotificationClient {
public:
    explicit Notifications(HANDLE changed) : changed(changed) {}
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IMMNotificationClient)) {
            *object = static_cast<IMMNotificationClient*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow, ERole role, LPCWSTR) override {
        if (role == eConsole) SetEvent(changed);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

private:
    HANDLE changed;
};

}  // namespace

struct DefaultDeviceWatch {
    Notifications notifications;
    bool registered = false;
    std::string output, input;  // the default endpoints' ids last seen
    DWORD lastLook = 0;

    explicit DefaultDeviceWatch(HANDLE changed) : notifications(changed) {}
};

DefaultDeviceWatch* DefaultDeviceWatchStart(IMMDeviceEnumerator* enumerator, HANDLE changed) {
    DefaultDeviceWatch* watch = new DefaultDeviceWatch(changed);
    watch->registered = SUCCEEDED(enumerator->RegisterEndpointNotificationCallback(&watch->notifications));
    watch->output = DefaultEndpointId(enumerator, true);
    watch->input = DefaultEndpointId(enumerator, false);
    watch->lastLook = GetTickCount();
    return watch;
}

bool DefaultDeviceChanged(DefaultDeviceWatch* watch, IMMDeviceEnumerator* enumerator, bool signalled) {
    if (!signalled && GetTickCount() - watch->lastLook < kPollMs) return false;
    watch->lastLook = GetTickCount();
    const std::string output = DefaultEndpointId(enumerator, true), input = DefaultEndpointId(enumerator, false);
    const bool changed = output != watch->output || input != watch->input;
    watch->output = output;
    watch->input = input;
    return changed;
}

void DefaultDeviceWatchStop(DefaultDeviceWatch* watch, IMMDeviceEnumerator* enumerator) {
    if (!watch) return;
    if (watch->registered) enumerator->UnregisterEndpointNotificationCallback(&watch->notifications);
    delete watch;
}
