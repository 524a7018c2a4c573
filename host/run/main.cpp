// smearscope-host: the stand-in for the player that runs a visualisation plug-in and records what
// it does. Entry point only: options in, exit status out.
#include <cstdio>
#include "host/run/exit_status.h"
#include "host/run/options.h"
#include "host/run/run_loop.h"
#include "host/listen/audio_devices.h"

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
    if (options.listDevices) return PrintAudioDevices() == 0 ? kExitContractKept : kExitLoadOrContract;
    return RunHost(options);
}
