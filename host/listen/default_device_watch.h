// Following the default device: the endpoint notification where the platform sends one, and a
// look at the default endpoints every second where it may not.
#pragma once
#include <windows.h>
#include <mmdeviceapi.h>

struct DefaultDeviceWatch;

// Remembers both directions' default endpoints now and signals `changed` (an event the caller
// owns and waits on) as soon as a notification arrives; where the platform refuses the
// notification, DefaultDeviceChanged's polling is all there is. For one thread, the capture's.
DefaultDeviceWatch* DefaultDeviceWatchStart(IMMDeviceEnumerator* enumerator, HANDLE changed);
// True once when either direction's default endpoint differs from the one remembered (which it then
// remembers): after `changed` was signalled, or, at most once a second, by asking the platform.
bool DefaultDeviceChanged(DefaultDeviceWatch* watch, IMMDeviceEnumerator* enumerator, bool signalled);
void DefaultDeviceWatchStop(DefaultDeviceWatch* watch, IMMDeviceEnumerator* enumerator);
