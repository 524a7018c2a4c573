// Notices on screen: stacking 20 px apart, moving up as the oldest expires, the fade, line breaks,
// and the count that the frame's drop removes.
#include <GL/gl.h>
#include "tests/gl_fixture.h"
#include "tests/text_ink.h"
#include "window/notices.h"

class NoticesDrawTest : public GlFixture {
protected:
    void SetUp() override {
        Open(640, 380);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
    }
    // Draws the list alone on black at the frame driver's origin and returns the frame.
    std::vector<unsigned char> DrawAlone(NoticeList& list, float now) {
        ClearAll();
        list.Draw(now, 15.0f, 30.0f, width, height);
        return Frame();
    }
};

TEST_F(NoticesDrawTest, LiveNoticesStack20ApartAndMoveUpWhenTheOldestExpires) {
    NoticeList single;
    single.Add(Notice("X", 5.0f, 0.0f));
    std::vector<RowRun> one = InkRows(DrawAlone(single, 0.0f), width, height);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_NEAR(one[0].bottom, 29, 1) << "first baseline at y 30";

    NoticeList list;
    for (int i = 0; i < 3; ++i) list.Add(Notice("X", 5.0f, (float)i));
    std::vector<RowRun> three = InkRows(DrawAlone(list, 3.0f), width, height);
    ASSERT_EQ(three.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(three[i].bottom, one[0].bottom + 20 * i);
    EXPECT_EQ(list.ExpiredCount(), 0);

    // Exactly at its lifetime the oldest is gone; the others take its line in the same frame.
    std::vector<RowRun> two = InkRows(DrawAlone(list, 5.0f), width, height);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].bottom, one[0].bottom);
    EXPECT_EQ(two[1].bottom, one[0].bottom + 20);
    EXPECT_EQ(list.ExpiredCount(), 1);
    list.DropExpired();
    EXPECT_EQ(list.ExpiredCount(), 0);
    ASSERT_EQ(list.Items().size(), 2u);
    EXPECT_FLOAT_EQ(list.Items().front().start, 1.0f);

    // A drop never removes more than the list holds.
    NoticeList stale;
    stale.Add(Notice("X", 5.0f, 0.0f));
    stale.Draw(9.0f, 15.0f, 30.0f, width, height);
    stale.Draw(9.0f, 15.0f, 30.0f, width, height);
    EXPECT_EQ(stale.ExpiredCount(), 2);
    stale.DropExpired();
    EXPECT_TRUE(stale.Items().empty());
    EXPECT_EQ(stale.ExpiredCount(), 0);
}

TEST_F(NoticesDrawTest, FadesTo075AtHalfLifeAndRestoresState) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    NoticeList list;
    list.Add(Notice("XXXX", 5.0f, 10.0f));
    EXPECT_FLOAT_EQ(NoticeAlpha(list.Items().front(), 12.5f), 0.75f);
    const GlStackState before = GlStackState::Read();
    std::vector<unsigned char> frame = DrawAlone(list, 12.5f);
    EXPECT_TRUE(GlStackState::Read() == before);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint source, destination;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);

    int brightest[3] = {0, 0, 0};
    for (size_t i = 0; i < frame.size(); i += 3)
        if (frame[i + 2] > brightest[2]) brightest[0] = frame[i], brightest[1] = frame[i + 1], brightest[2] = frame[i + 2];
    // (0.51, 0.75, 0.9) at 0.75 over black.
    EXPECT_NEAR(brightest[0], 98, 2);
    EXPECT_NEAR(brightest[1], 143, 2);
    EXPECT_NEAR(brightest[2], 172, 2);

    // A lifetime of 0 is expired at once; nothing drawn.
    NoticeList instant;
    instant.Add(Notice("XXXX", 0.0f, 12.5f));
    EXPECT_TRUE(FindInk(DrawAlone(instant, 12.5f), width, height).Empty());
    EXPECT_EQ(instant.ExpiredCount(), 1);
}

TEST_F(NoticesDrawTest, ALineBreakDrops15ButTheNextNoticeStillStarts20Below) {
    NoticeList list;
    list.Add(Notice("X\nX", 5.0f, 0.0f));
    list.Add(Notice("      X", 5.0f, 0.0f));  // six 9-px spaces put it in columns of its own
    std::vector<unsigned char> frame = DrawAlone(list, 1.0f);
    std::vector<RowRun> first = InkRows(frame, width, height, 40, 0, 50);
    std::vector<RowRun> second = InkRows(frame, width, height, 40, 60, width);
    ASSERT_EQ(first.size(), 2u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(first[1].bottom, first[0].bottom + 15);
    EXPECT_EQ(second[0].bottom, first[0].bottom + 20);
    EXPECT_NEAR(FindInk(frame, width, height, 40, 0, 50).left, 15, 2) << "both lines start at x 15";
    EXPECT_NEAR(FindInk(frame, width, height, 40, 0, 50).right, 24, 2);
}
