// Timed on-screen notices that confirm each key command and fade out over their lifetime.
// The frame draws them every frame and drops the expired ones after the swap.
#pragma once
#include <list>
#include <string>

struct Notice {
    std::string text;
    float lifetime;
    float start;
    Notice(const char* text, float lifetime, float start);
};

// Fade of a notice at clock time now: 1 - t^2 with t the age over the lifetime; 0 or less (or
// not a number) means expired.
float NoticeAlpha(const Notice& notice, float now);

class NoticeList {
public:
    void Add(const Notice& notice);
    // Live notices stack 20 px apart from (x, y) in a flipped overlay of width x height.
    void Draw(float now, float x, float y, int width, int height);
    // Removes as many notices from the front as the last Draw found expired.
    void DropExpired();
    const std::list<Notice>& Items() const { return notices; }
    int ExpiredCount() const { return expiredCount; }
private:
    std::list<Notice> notices;
    int expiredCount = 0;
};
extern NoticeList noticeList;
