// Stand-in: the noise veil is built in its own change.
#include "render/noise.h"
void NoiseVeilDraw(float) {}
