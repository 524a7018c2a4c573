// Where text landed: the bounding box of pixels brighter than a threshold, and the runs of rows
// that hold such pixels, for the text and notice tests.
#pragma once
#include <vector>

struct InkBox {
    int left = -1, top = -1, right = -1, bottom = -1;  // inclusive; -1 when nothing is lit
    bool Empty() const { return left < 0; }
};

struct RowRun {
    int top, bottom;  // inclusive rows, counted from the top edge
};

// frame: top row first, RGB bytes. Only columns [fromX, toX) are looked at.
inline bool InkAt(const std::vector<unsigned char>& frame, int width, int x, int y, int threshold) {
    const unsigned char* p = &frame[(y * width + x) * 3];
    return p[0] > threshold || p[1] > threshold || p[2] > threshold;
}

inline InkBox FindInk(const std::vector<unsigned char>& frame, int width, int height, int threshold = 40,
                      int fromX = 0, int toX = -1) {
    if (toX < 0) toX = width;
    InkBox box;
    for (int y = 0; y < height; ++y)
        for (int x = fromX; x < toX; ++x) {
            if (!InkAt(frame, width, x, y, threshold)) continue;
            if (box.Empty()) box = {x, y, x, y};
            if (x < box.left) box.left = x;
            if (x > box.right) box.right = x;
            if (y < box.top) box.top = y;
            if (y > box.bottom) box.bottom = y;
        }
    return box;
}

inline std::vector<RowRun> InkRows(const std::vector<unsigned char>& frame, int width, int height,
                                   int threshold = 40, int fromX = 0, int toX = -1) {
    if (toX < 0) toX = width;
    std::vector<RowRun> runs;
    bool inRun = false;
    for (int y = 0; y < height; ++y) {
        bool lit = false;
        for (int x = fromX; x < toX && !lit; ++x) lit = InkAt(frame, width, x, y, threshold);
        if (lit && !inRun) runs.push_back({y, y});
        if (lit) runs.back().bottom = y;
        inRun = lit;
    }
    return runs;
}
