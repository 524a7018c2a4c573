// The player's main window, the plug-in's parent: its class, the queries it answers for the
// plug-in (is-playing, list position, title) and the keys the plug-in passes on to it.
#pragma once
#include <windows.h>
#include "plugin/vis_module.h"

// What a player knows when the plug-in asks. Each answer may also record itself.
class PlayerAnswers {
public:
    virtual ~PlayerAnswers() = default;
    virtual bool Playing() = 0;
    virtual int ListPosition() = 0;
    // Stays readable after the answer: the plug-in draws it later in the frame.
    virtual const char* Title(WPARAM index) = 0;
    // A query this player does not know: answered 0.
    virtual void Unknown(LPARAM query) {}
};

// The answer to one query (WM_USER to the parent window, selected by lParam).
LRESULT AnswerPlayerQuery(WPARAM wParam, LPARAM query, PlayerAnswers& answers);

// The parent window's part of each message: queries, keys the plug-in passes on, the close button.
// A handler left null takes the default. `other` sees every message first and returns true when
// it answered it.
struct PlayerWindowHandlers {
    LRESULT (*query)(WPARAM wParam, LPARAM lParam) = nullptr;
    void (*key)(WPARAM key, LPARAM lParam) = nullptr;
    void (*close)() = nullptr;
    bool (*other)(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = nullptr;
};

// Registers `className` with these handlers (and icons: null, the system's) and creates the window,
// not yet shown; null on failure.
HWND CreatePlayerWindow(const char* className, const PlayerWindowHandlers& handlers, const char* title,
                        DWORD style, DWORD exStyle, int x, int y, int width, int height, HICON icon = nullptr,
                        HICON smallIcon = nullptr);
void DestroyPlayerWindow(HWND window, const char* className);
// Dispatches what waits in this thread's queue.
void PumpPlayerMessages();
