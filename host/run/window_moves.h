// --move: places the plug-in's window at a given screen position before a frame, as a user's drag
// would, so that tests can see the position remembered across runs.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct Move {
    int frame;
    int x, y;  // the window's outer top-left corner, screen pixels
};

// FRAME:X,Y items separated by ';' or '/' (a comma sits between X and Y); false when malformed.
bool ParseMoves(const std::string& text, std::vector<Move>& moves);
// Moves `window` for every item of `frame` and logs a "move" event with the position it got.
void ApplyMoves(const std::vector<Move>& moves, int frame, HWND window);
