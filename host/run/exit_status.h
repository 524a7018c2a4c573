// The host's exit statuses and the one way a run reports a failure. The values are what scripts
// and tests read from the process's end: they never change meaning.
#pragma once
#include <string>

enum ExitStatus : int {
    kExitContractKept = 0,     // the plug-in kept its contract
    kExitBadOptions = 1,       // the command line, or a file it names, is unusable
    kExitLoadOrContract = 2,   // the library did not load, or a callback broke the contract
    kExitCrash = 3,            // an exception in the plug-in (or the host)
    kExitNoDialog = 4,         // Config never showed its dialog
    kExitCaptureFailed = 5,    // a frame could not be written
};

// Prints the reason on stderr, logs a "failure" line and returns the status.
int Fail(int status, const std::string& reason);
