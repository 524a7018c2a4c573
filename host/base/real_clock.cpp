// The system's clock as both programs read it: seconds on the high-resolution counter.
// Nothing here can be stepped; the bench's stepped clock wraps it.
#include "host/base/real_clock.h"
#include <windows.h>

double RealClockSeconds() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}
