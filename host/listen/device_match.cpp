// Numbering, naming and listing capture devices: the rules a person meets in --list-devices and
// --device, kept apart from the platform's enumeration.
#include "host/listen/device_match.h"
#include <algorithm>
#include <cctype>
#include <tuple>

namespace {

std::string Lower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) c = char(std::tolower((unsigned char)c));
    return lower;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.size() < 6 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

void NumberDevices(std::vector<AudioDevice>& devices) {
    std::sort(devices.begin(), devices.end(), [](const AudioDevice& a, const AudioDevice& b) {
        return std::make_tuple(!a.output, Lower(a.name), a.id) < std::make_tuple(!b.output, Lower(b.name), b.id);
    });
    for (size_t i = 0; i < devices.size(); ++i) devices[i].number = int(i + 1);
}

std::string MatchDevice(const std::vector<AudioDevice>& devices, const std::string& wanted, bool preferOutput,
                        size_t& found) {
    if (AllDigits(wanted)) {
        for (size_t i = 0; i < devices.size(); ++i)
            if (devices[i].number == std::stoi(wanted)) {
                found = i;
                return "";
            }
        return "no device number " + wanted + " (--list-devices numbers them)";
    }
    // The strictest rule that matches anything decides; a later rule never overrides it.
    const std::string lower = Lower(wanted);
    const auto rules = {
        +[](const AudioDevice& d, const std::string& w, const std::string&) { return Lower(d.id) == Lower(w); },
        +[](const AudioDevice& d, const std::string& w, const std::string&) { return d.name == w; },
        +[](const AudioDevice& d, const std::string&, const std::string& l) {
            return !l.empty() && Lower(d.name).find(l) != std::string::npos;
        },
    };
    for (auto rule : rules) {
        std::vector<size_t> matches, preferred;
        for (size_t i = 0; i < devices.size(); ++i)
            if (rule(devices[i], wanted, lower)) {
                matches.push_back(i);
                if (devices[i].output == preferOutput) preferred.push_back(i);
            }
        if (matches.empty()) continue;
        if (matches.size() == 1 || preferred.size() == 1) {
            found = matches.size() == 1 ? matches[0] : preferred[0];
            return "";
        }
        std::string names;
        for (size_t i : matches)
            names += (names.empty() ? "" : ", ") + std::to_string(devices[i].number) + " " + devices[i].name;
        return "\"" + wanted + "\" names " + std::to_string(matches.size()) + " devices (" + names + ")";
    }
    return "no device is called \"" + wanted + "\"";
}

size_t MonitorOf(const std::vector<AudioDevice>& devices, const AudioDevice& output) {
    for (size_t i = 0; i < devices.size(); ++i)
        if (!devices[i].output && devices[i].name == "Monitor of " + output.name) return i;
    return devices.size();
}

std::string DeviceListText(const std::vector<AudioDevice>& devices) {
    std::string text;
    for (int output = 1; output >= 0; --output) {
        text += output ? "Output devices (listened to through loopback):\n" : "Input devices (recorded):\n";
        size_t width = 0;
        for (const AudioDevice& d : devices) width = std::max(width, d.name.size());
        bool any = false;
        for (const AudioDevice& d : devices) {
            if (d.output != bool(output)) continue;
            std::string number = std::to_string(d.number);
            std::string name = d.name + std::string(width - d.name.size(), ' ');
            text += "  " + std::string(number.size() < 3 ? 3 - number.size() : 0, ' ') + number + "  " + name +
                    (d.isDefault ? "  [default]  " : "             ") + d.id + "\n";
            any = true;
        }
        if (!any) text += "  (none)\n";
    }
    return text;
}
