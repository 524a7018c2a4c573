// The compiled dialog 101 read back byte by byte from the library and from the test program and
// compared with the template the dialog must have: styles, font, and every control.
#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "tests/settings_fixture.h"

namespace {

// Reads the fields of an extended dialog template in order; words are little-endian.
struct TemplateReader {
    const unsigned char* base;
    size_t size;
    size_t at = 0;
    bool overrun = false;

    unsigned Word() {
        if (at + 2 > size) { overrun = true; return 0; }
        unsigned value = base[at] | base[at + 1] << 8;
        at += 2;
        return value;
    }
    unsigned long Dword() { unsigned long low = Word(); return low | (unsigned long)Word() << 16; }
    int Short() { return (short)Word(); }
    unsigned Byte() {
        if (at + 1 > size) { overrun = true; return 0; }
        return base[at++];
    }
    std::string Text() {
        std::string text;
        for (unsigned c = Word(); c != 0 && !overrun; c = Word()) text += c < 128 ? (char)c : '?';
        return text;
    }
    // A name or ordinal: "" for none, "#n" for an ordinal, the text otherwise.
    std::string NameOrOrdinal() {
        unsigned first = Word();
        if (first == 0) return "";
        if (first == 0xFFFF) return "#" + std::to_string(Word());
        at -= 2;
        return Text();
    }
    void AlignDword() { at = (at + 3) & ~size_t(3); }
};

struct Control {
    unsigned long id;
    const char* className;  // the class atom as "#n"
    const char* text;
    unsigned long style;
    unsigned long exStyle;
    int x, y, cx, cy;
};

const unsigned long kChild = WS_CHILD | WS_VISIBLE;
const Control kControls[] = {
    {1, "#128", "OK", kChild | BS_DEFPUSHBUTTON | BS_FLAT | WS_TABSTOP, 0, 116, 115, 50, 13},
    {2, "#128", "Cancel", kChild | BS_PUSHBUTTON | BS_FLAT | WS_TABSTOP, 0, 175, 115, 50, 13},
    {1001, "#128", "Fullscreen:", kChild | BS_AUTOCHECKBOX | BS_LEFTTEXT | BS_FLAT | WS_TABSTOP, 0,
     37, 51, 80, 13},
    {0xFFFFFFFF, "#130", nullptr, kChild | SS_CENTER | SS_SUNKEN | WS_GROUP, 0, 7, 139, 218, 36},
    {1012, "#129", "", kChild | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_STATICEDGE, 97, 65, 54, 12},
    {0xFFFFFFFF, "#130", "Window Width:", kChild | SS_LEFT | SS_CENTERIMAGE | WS_GROUP, 0, 37, 65,
     50, 12},
    {0xFFFFFFFF, "#130", "Window Height:", kChild | SS_LEFT | SS_CENTERIMAGE | WS_GROUP, 0, 37, 79,
     50, 12},
    {1013, "#129", "", kChild | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_STATICEDGE, 97, 79, 54, 12},
    {0xFFFFFFFF, "#130", "' h ' :", kChild | SS_LEFT | WS_GROUP, 0, 75, 17, 15, 8},
    {0xFFFFFFFF, "#130", "Toggle Help Screen", kChild | SS_LEFT | WS_GROUP, 0, 97, 17, 128, 10},
};

void ExpectTemplate(HMODULE module) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(101), (LPCSTR)RT_DIALOG);
    ASSERT_NE(found, nullptr);
    HGLOBAL loaded = LoadResource(module, found);
    ASSERT_NE(loaded, nullptr);
    TemplateReader t{(const unsigned char*)LockResource(loaded), SizeofResource(module, found)};

    EXPECT_EQ(t.Word(), 1u) << "dlgVer";
    EXPECT_EQ(t.Word(), 0xFFFFu) << "signature of an extended template";
    EXPECT_EQ(t.Dword(), 0ul) << "helpID";
    EXPECT_EQ(t.Dword(), (unsigned long)(WS_EX_TOPMOST | WS_EX_TOOLWINDOW));
    EXPECT_EQ(t.Dword(), (unsigned long)(WS_POPUP | WS_SYSMENU | DS_CENTER | DS_SETFONT));
    unsigned count = t.Word();
    EXPECT_EQ(t.Short(), 0);
    EXPECT_EQ(t.Short(), 0);
    EXPECT_EQ(t.Short(), 232);
    EXPECT_EQ(t.Short(), 182);
    EXPECT_EQ(t.NameOrOrdinal(), "") << "menu";
    EXPECT_EQ(t.NameOrOrdinal(), "") << "class";
    EXPECT_EQ(t.Text(), "") << "caption";
    EXPECT_EQ(t.Word(), 8u) << "point size";
    EXPECT_EQ(t.Word(), 0u) << "weight";
    EXPECT_EQ(t.Byte(), 0u) << "italic";
    EXPECT_EQ(t.Byte(), 0u) << "charset";
    EXPECT_EQ(t.Text(), "MS Sans Serif");
    ASSERT_EQ(count, 10u);

    for (const Control& c : kControls) {
        SCOPED_TRACE("control " + std::to_string(&c - kControls + 1));
        t.AlignDword();
        EXPECT_EQ(t.Dword(), 0ul) << "helpID";
        EXPECT_EQ(t.Dword(), c.exStyle);
        EXPECT_EQ(t.Dword(), c.style);
        EXPECT_EQ(t.Short(), c.x);
        EXPECT_EQ(t.Short(), c.y);
        EXPECT_EQ(t.Short(), c.cx);
        EXPECT_EQ(t.Short(), c.cy);
        EXPECT_EQ(t.Dword(), c.id);
        EXPECT_EQ(t.NameOrOrdinal(), c.className);
        std::string text = t.NameOrOrdinal();
        if (c.text) {
            EXPECT_EQ(text, c.text);
        } else {
            EXPECT_EQ(text.substr(0, 35), "Smearscope - OpenGL Winamp Plug-In\n");
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << "three lines";
            EXPECT_EQ(text.find('\r'), std::string::npos);
        }
        EXPECT_EQ(t.Word(), 0u) << "creation data";
    }
    EXPECT_FALSE(t.overrun);
    EXPECT_EQ(t.at, t.size) << "nothing after the last control";
}

}  // namespace

TEST(DialogTemplate, LibraryHoldsTheDialogAsSpecified) {
    HMODULE library = LoadLibraryExW((ProgramFolder() + L"vis_Smearscope.dll").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(library, nullptr);
    ExpectTemplate(library);
    FreeLibrary(library);
}

TEST(DialogTemplate, TestProgramHoldsTheSameDialog) {
    ExpectTemplate(GetModuleHandleA(nullptr));
}
