// The capture devices as a person names them: numbered in a stable order, listed, and found by a
// number, an id or a name. Platform-free, so it is unit-tested natively.
#pragma once
#include <string>
#include <vector>

struct AudioDevice {
    int number = 0;        // from 1, outputs first; see NumberDevices
    std::string id;        // the platform's endpoint id
    std::string name;      // its friendly name
    bool output = false;   // an output (captured through loopback) or an input (recorded)
    bool isDefault = false;
};

// Orders outputs before inputs, each by name (case-insensitive) and then id, and numbers them from
// 1: the platform's own order is not kept from run to run (Wine's changes once its registry knows
// the devices), and a number typed from yesterday's list must still name the same device.
void NumberDevices(std::vector<AudioDevice>& devices);
// The one device `wanted` names: its number, its id, its exact friendly name, or a case-insensitive
// part of one name. Where several match alike, the one in the preferred direction (output or
// input), if it is alone there. "" and `found` set, or why none is meant.
std::string MatchDevice(const std::vector<AudioDevice>& devices, const std::string& wanted, bool preferOutput,
                        size_t& found);
// The input device that records what `output` plays, where the platform lists one: PulseAudio
// calls a sink's monitor "Monitor of NAME". Its index, or devices.size().
size_t MonitorOf(const std::vector<AudioDevice>& devices, const AudioDevice& output);
// What --list-devices prints: a line per device, "  NUMBER  NAME  [default]  ID", under a heading
// for each direction.
std::string DeviceListText(const std::vector<AudioDevice>& devices);
