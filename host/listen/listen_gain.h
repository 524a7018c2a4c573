// The gain applied to captured samples before the spectrum, for quiet sources: its range, its
// steps and the keys that change it. Platform-free, so it is unit-tested natively.
#pragma once
#include <string>

// 1/8x to 16x in steps of 3 dB (a factor of the square root of two): -18 dB to +24 dB.
const double kGainLeast = 0.125;
const double kGainMost = 16.0;

// The gain within range, on the nearest 3 dB step; 1 for anything that is no number.
double GainClamp(double gain);
// Steps from 1 (gain = 2^(step / 2)), for keeping a gain in an integer: the clamped gain's step,
// and the gain of a step.
int GainStep(double gain);
double GainAtStep(int step);
// For a key the plug-in passes on: '+' (the =/+ key or the keypad's +) one step up, '-' (the -/_
// key or the keypad's -) one step down, '0' (either) back to 1. False for any other key.
bool GainForKey(unsigned virtualKey, double gain, double& newGain);
// "Gain 2.83x (+9 dB)": for a title or a notice.
std::string GainText(double gain);
