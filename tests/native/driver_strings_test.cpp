// Each driver's own pair of strings, as it answers them: which the blur takes for Mesa (and so
// averages through textures), and which take pass textures of any size.
#include <gtest/gtest.h>
#include "render/driver_strings.h"

namespace {

struct Driver {
    const char* name;
    const char* version;
    const char* renderer;
    const char* extensions;
    bool mesa, anySize;
};

const Driver kDrivers[] = {
    {"llvmpipe", "4.5 (Compatibility Profile) Mesa 22.3.6", "llvmpipe (LLVM 15.0.6, 256 bits)", "", true, true},
    {"softpipe", "4.5 (Compatibility Profile) Mesa 22.3.6", "softpipe", "", true, true},
    {"Direct3D 12 layer", "4.2 (Compatibility Profile) Mesa 23.1.0-devel", "D3D12 (NVIDIA GeForce RTX 3070)", "",
     true, true},
    {"VMware", "2.1 Mesa 22.3.6", "SVGA3D; build: RELEASE; LLVM;", "", true, true},
    {"zink", "4.6 (Compatibility Profile) Mesa 23.0.4", "zink Vulkan 1.3(NVIDIA GeForce GTX 1060 (NVIDIA_PROPRIETARY))",
     "", true, true},
    {"Microsoft's software renderer", "1.1.0", "GDI Generic", "GL_WIN_swap_hint GL_EXT_bgra GL_EXT_paletted_texture",
     false, false},
    {"a vendor's driver", "4.6.0 NVIDIA 537.58", "NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2", "", false, true},
    {"an old vendor's driver with the extension", "1.5.0", "RADEON 9600",
     "GL_ARB_multitexture GL_ARB_texture_non_power_of_two GL_EXT_bgra", false, true},
    {"only a longer name that begins with it", "1.5.0", "RADEON 9600", "GL_ARB_texture_non_power_of_two_x", false, false},
    {"no strings", nullptr, nullptr, nullptr, false, false},
};

TEST(DriverStrings, MesaAndAnyTextureSizeAsEachDriverAnswers) {
    for (const Driver& d : kDrivers) {
        EXPECT_EQ(DriverIsMesa(d.version, d.renderer), d.mesa) << d.name;
        EXPECT_EQ(DriverTakesAnyTextureSize(d.version, d.extensions), d.anySize) << d.name;
    }
}

}  // namespace
