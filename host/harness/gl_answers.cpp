// The plug-in's questions to OpenGL answered as other drivers would: one table of string answers and
// one of integer answers, each row behind its quirk, and a proxy texture's refusal; a question no row
// answers reaches the driver.
#include "host/harness/gl_answers.h"
#include <GL/gl.h>
#include "host/harness/import_patch.h"
#include "host/harness/quirks.h"
#include "host/base/json_log.h"

namespace {

struct StringAnswer {
    unsigned quirk;
    GLenum name;
    const char* answer;
};
// vendor-gl: a vendor's driver, which accumulates on the graphics side (strings as such a driver gives them).
const StringAnswer kStringAnswers[] = {
    {kQuirkVendorGl, GL_VENDOR, "NVIDIA Corporation"},
    {kQuirkVendorGl, GL_RENDERER, "NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2"},
    {kQuirkVendorGl, GL_VERSION, "4.6.0 NVIDIA 537.58"},
};

struct IntegerAnswer {
    unsigned quirk;
    GLenum name;
    GLint answer;
};
// coarse-subpixel: a rasteriser with a grid too coarse for leaving hidden sides out.
const IntegerAnswer kIntegerAnswers[] = {
    {kQuirkCoarseSubpixel, GL_SUBPIXEL_BITS, 4},
};

typedef const GLubyte*(WINAPI* GetStringProc)(GLenum name);
typedef void(WINAPI* GetIntegervProc)(GLenum name, GLint* values);
typedef void(WINAPI* GetTexLevelParameterivProc)(GLenum target, GLint level, GLenum name, GLint* values);
GetStringProc realGetString;
GetIntegervProc realGetIntegerv;
GetTexLevelParameterivProc realGetTexLevelParameteriv;

const GLubyte* WINAPI HookGetString(GLenum name) {
    for (const StringAnswer& row : kStringAnswers)
        if (row.name == name && QuirkOn(row.quirk)) return (const GLubyte*)row.answer;
    return realGetString(name);
}

// A question some row answers, with the answer given: whether the quirk's or the driver's, the log
// shows what the plug-in read (and that its import, through the call counter too, reaches here).
void LogIntegerAnswer(GLenum name, const GLint* values, bool byQuirk) {
    if (values) JsonLine("gl_answer").Int("name", name).Int("answer", *values).Bool("quirk", byQuirk).Write();
}

void WINAPI HookGetIntegerv(GLenum name, GLint* values) {
    bool covered = false;
    for (const IntegerAnswer& row : kIntegerAnswers) {
        if (row.name != name) continue;
        covered = true;
        if (!QuirkOn(row.quirk)) continue;
        if (values) *values = row.answer;
        LogIntegerAnswer(name, values, true);
        return;
    }
    realGetIntegerv(name, values);
    if (covered) LogIntegerAnswer(name, values, false);
}

// proxy-refuses: a driver that cannot take the size asked for answers a proxy's width as 0.
void WINAPI HookGetTexLevelParameteriv(GLenum target, GLint level, GLenum name, GLint* values) {
    realGetTexLevelParameteriv(target, level, name, values);
    if (target == GL_PROXY_TEXTURE_2D && name == GL_TEXTURE_WIDTH && values && QuirkOn(kQuirkProxyRefuses)) *values = 0;
}

}  // namespace

void InstallGlAnswers(HMODULE plugin) {
    realGetString = (GetStringProc)PatchImport(plugin, "glGetString", (void*)HookGetString);
    realGetIntegerv = (GetIntegervProc)PatchImport(plugin, "glGetIntegerv", (void*)HookGetIntegerv);
    realGetTexLevelParameteriv = (GetTexLevelParameterivProc)PatchImport(plugin, "glGetTexLevelParameteriv",
                                                                          (void*)HookGetTexLevelParameteriv);
}
