// Stand-in: notices are built in their own change.
#include "window/notices.h"
NoticeList noticeList;
NoticeList::LineDrawer NoticeList::drawLine = nullptr;
Notice::Notice(const char* t, float l, float s) : text(t ? t : ""), lifetime(l), start(s) {}
float NoticeAlpha(const Notice&, float) { return 0.0f; }
void NoticeList::Add(const Notice& notice) { notices.push_back(notice); }
void NoticeList::Draw(float, float, float, int, int) {}
void NoticeList::DropExpired() {}
