// What the host feeds the plug-in as spectrum before each frame: a constant, a ramp over the bins,
// or a built-in demo signal with a beat. Computed from the frame number so runs repeat exactly.
#include "host/playback/synthetic_spectrum.h"
#include <algorithm>
#include <cmath>

namespace {

unsigned char DemoBin(int frame, int bin) {
    // A kick every 24 frames that decays quickly, over a falling slope that wobbles slowly.
    const double beat = std::exp(-(frame % 24) / 5.0);
    const double slope = 170.0 * std::exp(-bin / 48.0);
    const double wobble = 40.0 * (0.5 + 0.5 * std::sin(frame * 0.11 + bin * 0.37));
    const double kick = bin < 8 ? 85.0 * beat : 30.0 * beat * std::exp(-bin / 20.0);
    return (unsigned char)std::clamp(slope * 0.6 + wobble * std::exp(-bin / 96.0) + kick, 0.0, 255.0);
}

// Noise over every byte value, from a hash of frame and bin so runs repeat exactly.
unsigned char RandomBin(int frame, int bin) {
    unsigned hash = (unsigned)frame * 2654435761u ^ (unsigned)bin * 40503u;
    hash ^= hash >> 15;
    hash *= 2246822519u;
    return (unsigned char)(hash >> 13);
}

}  // namespace

void FillSpectrum(SpectrumKind kind, int constant, int frame, unsigned char data[2][kSpectrumBins]) {
    for (int bin = 0; bin < kSpectrumBins; ++bin) {
        unsigned char value;
        switch (kind) {
        case SpectrumKind::Constant: value = (unsigned char)constant; break;
        case SpectrumKind::Ramp: value = (unsigned char)std::min(255, bin * 4); break;
        case SpectrumKind::Random: value = RandomBin(frame, bin); break;
        default: value = DemoBin(frame, bin); break;
        }
        data[0][bin] = data[1][bin] = value;
    }
}
