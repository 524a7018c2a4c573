// Follows the plug-in's 2-D texture storage through its own calls: which name is bound, what each
// level 0 definition holds, what deletion and the context's end give back; logs each definition and
// counts the pixels copied in.
#include "host/harness/texture_storage.h"
#include <GL/gl.h>
#include <map>
#include "host/base/json_log.h"
#include "host/harness/import_patch.h"

namespace {

typedef void(WINAPI* BindTextureProc)(GLenum target, GLuint name);
typedef void(WINAPI* TexImage2DProc)(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                                     GLsizei height, GLint border, GLenum format, GLenum type, const void* data);
typedef void(WINAPI* DeleteTexturesProc)(GLsizei count, const GLuint* names);
typedef void(WINAPI* CopyTexSubImage2DProc)(GLenum target, GLint level, GLint xOffset, GLint yOffset, GLint x,
                                            GLint y, GLsizei width, GLsizei height);
CopyTexSubImage2DProc realCopyTexSubImage2D;
BindTextureProc realBindTexture;
TexImage2DProc realTexImage2D;
DeleteTexturesProc realDeleteTextures;

// Only the plug-in's context thread makes these calls.
GLuint bound2d = 0;
std::map<GLuint, long long> bytesByName;
long long heldBytes = 0, peakBytes = 0;
unsigned long long copiedPixels = 0;

void Hold(GLuint name, long long bytes) {
    long long& entry = bytesByName[name];
    heldBytes += bytes - entry;
    entry = bytes;
    if (heldBytes > peakBytes) peakBytes = heldBytes;
}

void WINAPI HookBindTexture(GLenum target, GLuint name) {
    if (target == GL_TEXTURE_2D) bound2d = name;
    realBindTexture(target, name);
}

void WINAPI HookTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                           GLint border, GLenum format, GLenum type, const void* data) {
    realTexImage2D(target, level, internalFormat, width, height, border, format, type, data);
    if (target != GL_TEXTURE_2D || level != 0) return;
    // NOTE: Mesa keeps RGB textures in 4 bytes a texel; so may any driver.
    Hold(bound2d, width > 0 && height > 0 ? 4LL * width * height : 0);
    JsonLine("gl_texture").Int("texture", bound2d).Int("width", width).Int("height", height).Int("type", type)
        .Int("held_bytes", heldBytes).Write();
}

void WINAPI HookDeleteTextures(GLsizei count, const GLuint* names) {
    for (GLsizei i = 0; names && i < count; ++i) {
        auto found = bytesByName.find(names[i]);
        if (found == bytesByName.end()) continue;
        heldBytes -= found->second;
        bytesByName.erase(found);
        if (bound2d == names[i]) bound2d = 0;
    }
    realDeleteTextures(count, names);
}

void WINAPI HookCopyTexSubImage2D(GLenum target, GLint level, GLint xOffset, GLint yOffset, GLint x, GLint y,
                                  GLsizei width, GLsizei height) {
    realCopyTexSubImage2D(target, level, xOffset, yOffset, x, y, width, height);
    if (width > 0 && height > 0) copiedPixels += (unsigned long long)width * height;
}

}  // namespace

void InstallTextureStorage(HMODULE plugin) {
    realBindTexture = (BindTextureProc)PatchImport(plugin, "glBindTexture", (void*)HookBindTexture);
    realTexImage2D = (TexImage2DProc)PatchImport(plugin, "glTexImage2D", (void*)HookTexImage2D);
    realDeleteTextures = (DeleteTexturesProc)PatchImport(plugin, "glDeleteTextures", (void*)HookDeleteTextures);
    realCopyTexSubImage2D =
        (CopyTexSubImage2DProc)PatchImport(plugin, "glCopyTexSubImage2D", (void*)HookCopyTexSubImage2D);
}

long long TextureStoragePeakBytes() { return peakBytes; }

unsigned long long TextureCopiedPixels() { return copiedPixels; }

void ForgetTextureStorage() {
    bytesByName.clear();
    heldBytes = 0;
    bound2d = 0;
}
