// --move and client sizes: places the plug-in's window at a screen position, or gives it a size, as
// a user's drag would, so that tests can see position and size remembered across runs.
#include "host/run/window_moves.h"
#include <cstdlib>
#include "host/base/json_log.h"
#include "host/base/option_table.h"

bool ParseMoves(const std::string& text, std::vector<Move>& moves) {
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find_first_of(";/", begin);
        if (end == std::string::npos) end = text.size();
        std::string item = text.substr(begin, end - begin);
        begin = end + 1;
        if (item.empty()) continue;
        size_t colon = item.find(':'), comma = item.find(',', colon);
        Move move;
        if (colon == std::string::npos || comma == std::string::npos) return false;
        if (!ParseInt(item.substr(0, colon), move.frame) ||
            !ParseInt(item.substr(colon + 1, comma - colon - 1), move.x) ||
            !ParseInt(item.substr(comma + 1), move.y) || move.frame < 1)
            return false;
        moves.push_back(move);
    }
    return !moves.empty();
}

void ApplyMoves(const std::vector<Move>& moves, int frame, HWND window) {
    for (const Move& move : moves) {
        if (move.frame != frame || !window) continue;
        SetWindowPos(window, nullptr, move.x, move.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT outer;
        GetWindowRect(window, &outer);
        JsonLine("move").Int("frame", frame).Int("x", outer.left).Int("y", outer.top).Write();
    }
}

void ResizeClientArea(HWND window, int width, int height) {
    RECT rect = {0, 0, width, height};
    AdjustWindowRectEx(&rect, (DWORD)GetWindowLongA(window, GWL_STYLE), FALSE, (DWORD)GetWindowLongA(window, GWL_EXSTYLE));
    SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
