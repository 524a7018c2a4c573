// The platform's audio endpoints (the multimedia device enumerator): every active output and input
// device with its id, friendly name and whether it is the default, and the text that lists them.
#pragma once
#include <windows.h>
#include <mmdeviceapi.h>
#include <string>
#include <vector>
#include "host/listen/device_match.h"

// Every active endpoint, numbered (NumberDevices). COM must be initialised on the calling thread.
// Empty with `fault` set when the platform has no enumerator.
std::vector<AudioDevice> ListAudioDevices(std::string& fault);
// The devices numbered, a table a line each, for --list-devices (each program adds how its --device
// takes them); false with why there is none instead.
bool AudioDevicesReport(std::string& text);

// For the capture: an endpoint's id and friendly name ("Default device" where it has none), and
// the id of a direction's default endpoint ("" where there is none).
std::string EndpointId(IMMDevice* device);
std::string EndpointFriendlyName(IMMDevice* device);
std::string DefaultEndpointId(IMMDeviceEnumerator* enumerator, bool output);
