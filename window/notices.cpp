// Timed on-screen notices: the list, oldest first, the fading draw of the live ones, and the
// dropping of those the frame found expired.
#include "window/notices.h"
#include <windows.h>
#include <GL/freeglut.h>
#include "render/text.h"

NoticeList noticeList;

namespace {
const int kNoticeLineStep = 20;
const int kNoticeLineHeight = 15;
}  // namespace

Notice::Notice(const char* t, float l, float s) : text(t ? t : ""), lifetime(l), start(s) {}

float NoticeAlpha(const Notice& notice, float now) {
    const float t = (now - notice.start) / notice.lifetime;
    return 1.0f - t * t;
}

void NoticeList::Add(const Notice& notice) { notices.push_back(notice); }

// Leaves blending off and the colour of the last live notice.
void NoticeList::Draw(float now, float x, float y, int width, int height) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    int lineY = (int)y;
    for (const Notice& notice : notices) {
        const float alpha = NoticeAlpha(notice, now);
        if (alpha > 0.0f) {
            glColor4f(0.51f, 0.75f, 0.9f, alpha);
            OverlayTextDraw(x, (float)lineY, GLUT_BITMAP_9_BY_15, kNoticeLineHeight, notice.text.c_str(),
                            width, height);
            lineY += kNoticeLineStep;
        } else {
            ++expiredCount;
        }
    }
    glDisable(GL_BLEND);
}

void NoticeList::DropExpired() {
    while (expiredCount > 0) {
        if (!notices.empty()) notices.pop_front();
        --expiredCount;
    }
    expiredCount = 0;
}
