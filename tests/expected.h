// Expectations kept as data in tests/expect, which the suites that run the i686 build read too:
// whole settings files byte for byte, and the box each failed platform call shows.
#pragma once
#include <string>

// The file's bytes ("" when it cannot be read).
std::string ExpectedFile(const char* name);

struct ExpectedBox {
    std::string title, text;
    long long style = -1;
};
// stage: "start" or "shutdown"; call: the failing call as the host's --fail names it.
// An unknown pair gives an empty box, which no real one equals.
ExpectedBox ExpectedBoxFor(const char* stage, const std::string& call);
