// Gain steps kept on a 3 dB grid, so that stepping up and down comes back to exactly where it was,
// and the keys that move along it. The key codes are the platform's virtual-key codes.
#include "host/listen/listen_gain.h"
#include <cmath>
#include <cstdio>

namespace {
// Virtual-key codes (winuser.h), spelt out so that the native build needs no platform header.
const unsigned kKeyZero = 0x30, kKeyNumpadZero = 0x60, kKeyAdd = 0x6B, kKeySubtract = 0x6D;
const unsigned kKeyOemPlus = 0xBB, kKeyOemMinus = 0xBD;

int StepOf(double gain) { return int(std::lround(2.0 * std::log2(gain))); }
}  // namespace

double GainAtStep(int step) { return std::pow(2.0, step / 2.0); }

int GainStep(double gain) { return StepOf(GainClamp(gain)); }

double GainClamp(double gain) {
    if (!(gain > 0.0) || std::isinf(gain)) return gain > 0.0 ? kGainMost : 1.0;
    const int step = StepOf(gain);
    const int least = StepOf(kGainLeast), most = StepOf(kGainMost);
    return GainAtStep(step < least ? least : step > most ? most : step);
}

bool GainForKey(unsigned virtualKey, double gain, double& newGain) {
    int change = 0;
    if (virtualKey == kKeyOemPlus || virtualKey == kKeyAdd) change = 1;
    else if (virtualKey == kKeyOemMinus || virtualKey == kKeySubtract) change = -1;
    else if (virtualKey != kKeyZero && virtualKey != kKeyNumpadZero) return false;
    newGain = change == 0 ? 1.0 : GainClamp(GainAtStep(GainStep(gain) + change));
    return true;
}

std::string GainText(double gain) {
    char text[48];
    std::snprintf(text, sizeof(text), "Gain %.3gx (%+.0f dB)", gain, 20.0 * std::log10(gain));
    return text;
}
