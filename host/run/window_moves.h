// --move and client sizes: places the plug-in's window at a screen position, or gives it a size, as
// a user's drag would, so that tests can see position and size remembered across runs.
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
// Gives `window` a client area of width x height where it stands, as a user's drag of its frame does.
void ResizeClientArea(HWND window, int width, int height);
