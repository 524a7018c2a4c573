// Reads a driver's GL_VERSION, GL_RENDERER and extension strings: Mesa or not, textures of any size
// or powers of two only.
#include "render/driver_strings.h"
#include <cstdlib>
#include <cstring>

bool DriverIsMesa(const char* version, const char* renderer) {
    return (version && std::strstr(version, "Mesa")) || (renderer && std::strstr(renderer, "Mesa"));
}

bool DriverTakesAnyTextureSize(const char* version, const char* extensions) {
    if (version && std::atoi(version) >= 2) return true;
    const char* name = "GL_ARB_texture_non_power_of_two";
    const size_t length = std::strlen(name);
    // A whole name: another that merely begins with it does not count.
    for (const char* at = extensions; at && (at = std::strstr(at, name)); at += length) {
        const bool starts = at == extensions || at[-1] == ' ';
        const bool ends = at[length] == '\0' || at[length] == ' ';
        if (starts && ends) return true;
    }
    return false;
}
