// smearscope-host: the stand-in for the player that runs a visualisation plug-in and records what
// it does. Entry point only: options in, exit status out.
#include <cstdio>
#include "host/run/exit_status.h"
#include "host/run/options.h"
#include "host/run/run_loop.h"
#include "host/listen/audio_devices.h"

namespace {
// --list-devices: the devices and how --device takes them on stdout, or why there are none.
int PrintAudioDevices() {
    std::string text;
    if (!AudioDevicesReport(text)) {
        std::fprintf(stderr, "smearscope: %s\n", text.c_str());
        return kExitLoadOrContract;
    }
    text += "--device takes a number, an id or a name (or a unique part of one). An output device is\n"
            "captured through loopback; where that is refused, its monitor or the default recording\n"
            "device is recorded instead. Without --device the default device is listened to and\n"
            "followed when it changes.\n";
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
    return kExitContractKept;
}
}  // namespace

int main(int argc, char** argv) {
    HostOptions options;
    std::string error;
    if (!ParseHostOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "smearscope-host: %s\n", error.c_str());
        return kExitBadOptions;
    }
    if (options.help) {
        std::fputs(HostUsage().c_str(), stdout);
        return kExitContractKept;
    }
    if (options.listDevices) return PrintAudioDevices();
    return RunHost(options);
}
