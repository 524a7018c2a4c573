// What the plug-in holds in 2-D texture storage: its glBindTexture, glTexImage2D and glDeleteTextures
// calls followed per texture name (level 0, 4 bytes a texel, proxies left out), and the peak total;
// and how many pixels it copies into textures.
#pragma once
#include <windows.h>

// Patches the plug-in's imports of the three and of glCopyTexSubImage2D (those it takes); install
// before the OpenGL call counter.
void InstallTextureStorage(HMODULE plugin);
// The largest total the plug-in had defined at once, in bytes, over every run of this process.
long long TextureStoragePeakBytes();
// Pixels copied from the colour buffer into textures since the host started.
unsigned long long TextureCopiedPixels();
// The plug-in's context was deleted, and its textures with it.
void ForgetTextureStorage();
