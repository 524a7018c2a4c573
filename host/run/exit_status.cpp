// The host's exit statuses and the one way a run reports a failure: a line on stderr for people,
// a "failure" log line for tests.
#include "host/run/exit_status.h"
#include <cstdio>
#include "host/base/json_log.h"

int Fail(int status, const std::string& reason) {
    std::fprintf(stderr, "smearscope-host: %s\n", reason.c_str());
    JsonLine("failure").Int("status", status).Str("reason", reason.c_str()).Write();
    return status;
}
