// What the app asks of a laptop's graphics drivers: the discrete processor, not the integrated
// one. Only the program itself can ask (a plug-in cannot: the player's program decides).
#include <windows.h>

// NOTE: NVIDIA's Optimus and AMD's PowerXpress drivers look for these exported values in the
// program they start; exported, the linker keeps them although nothing reads them.
extern "C" {
__declspec(dllexport) DWORD NvOptimusEnablement = 1;
__declspec(dllexport) DWORD AmdPowerXpressRequestHighPerformance = 1;
}
