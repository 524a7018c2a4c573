// The --quirk names and their bits, as the command line takes them and the log writes them: what
// the options need of the quirks, apart from the quirks themselves.
#include "host/harness/quirk_names.h"

namespace {

struct QuirkName {
    const char* name;
    unsigned bit;
};
const QuirkName kQuirkNames[] = {
    {"config-before-init", kQuirkConfigBeforeInit}, {"render-thread", kQuirkRenderThread},
    {"silent-playlist", kQuirkSilentPlaylist},      {"destroy-before-quit", kQuirkDestroyBeforeQuit},
    {"ignore-result", kQuirkIgnoreResult},          {"no-rate", kQuirkNoRate},
    {"swap-exchange", kQuirkSwapExchange},          {"software-accum", kQuirkSoftwareAccum},
    {"mixed-accum", kQuirkMixedAccum},              {"no-16bit-modes", kQuirkNo16BitModes},
    {"timer-thread", kQuirkTimerThread},            {"no-accum", kQuirkNoAccum},
    {"vendor-gl", kQuirkVendorGl},                  {"size-only-modes", kQuirkSizeOnlyModes},
    {"timer-before-init", kQuirkTimerBeforeInit},   {"coarse-subpixel", kQuirkCoarseSubpixel},
    {"software-chosen", kQuirkSoftwareChosen},      {"proxy-refuses", kQuirkProxyRefuses},
};

}  // namespace

unsigned QuirkFromName(const std::string& name) {
    for (const QuirkName& quirk : kQuirkNames)
        if (name == quirk.name) return quirk.bit;
    return 0;
}

std::vector<const char*> QuirkNames(unsigned quirks) {
    std::vector<const char*> names;
    for (const QuirkName& quirk : kQuirkNames)
        if (quirks & quirk.bit) names.push_back(quirk.name);
    return names;
}
