#include "core/annotation/label_gesture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vox {
namespace {

// A 1 s channel at 1000 Hz shown whole on a 1000-pixel display starting at
// x = 40, so that one pixel is one millisecond; tier 1 in use at y 0..20.
struct GestureFixture : ::testing::Test {
    CChannels ch;
    CLabelGesture g;
    int saves = 0;
    bool save_ok = true;
    CLabelGesture::UndoSaver saver = [this] {
        ++saves;
        return save_ok;
    };
    // Every character is 10 pixels wide.
    std::function<int(const LABEL&)> width = [](const LABEL& l) { return int(std::strlen(l.text)) * 10; };

    GestureFixture() {
        ch.set_foreign_audio(1000.0, 1000.0);
        ch.plot_rect = Rect{40, 0, 1040, 300};
        ch.tiers[1].in_use = 1;
        ch.tiers[1].band = Rect{40, 0, 1040, 20};
    }

    LABEL make(const char* text, double ms, int align = 0) {
        LABEL l;
        l.set_text(text);
        l.time_ms = ms;
        l.align = align;
        return l;
    }
    void add(const LABEL& l) {
        ch.tiers[1].labels.push_back(l);
        LayoutTierLabels(ch, width);
    }
    LabelEntryAnswer answer(const char* text, int align = 0) {
        LabelEntryAnswer a;
        a.accepted = true;
        a.label.set_text(text);
        a.label.align = align;
        a.label.font.height = -18;
        a.label.color = 0x0000FF;
        return a;
    }
};

TEST_F(GestureFixture, LayoutPlacesByJustificationAndHidesLabelsOnTheWindowEdges) {
    add(make("abcd", 500.0, 0));
    add(make("abcd", 500.0, 1));
    add(make("abcd", 500.0, 2));
    add(make("edge", 0.0));
    add(make("edge", 1000.0));
    const auto& l = ch.tiers[1].labels;
    EXPECT_EQ(l[0].rect, (Rect{540, 0, 580, 20}));
    EXPECT_EQ(l[1].rect, (Rect{520, 0, 560, 20}));
    EXPECT_EQ(l[2].rect, (Rect{500, 0, 540, 20}));
    EXPECT_EQ(l[3].rect.left, -1);
    EXPECT_EQ(l[4].rect.left, -1);
    // The edge labels cannot be hit, not even at x = −1 or on the border.
    EXPECT_EQ(LabelAt(ch, 1, 40, 5), std::nullopt);
    EXPECT_EQ(LabelAt(ch, 1, 1039, 5), std::nullopt);
}

TEST_F(GestureFixture, HitTestsTakeTheFirstMatchAndOnlyTiersInUse) {
    add(make("aaaa", 500.0));
    add(make("bb", 530.0));  // 570..590, overlaps the first
    EXPECT_EQ(TierAt(ch, 100, 5), 1);
    EXPECT_EQ(TierAt(ch, 100, 25), std::nullopt);
    EXPECT_EQ(LabelAt(ch, 1, 555, 10), 0u);
    EXPECT_EQ(LabelAt(ch, 1, 575, 10), 0u);
    EXPECT_EQ(LabelAt(ch, 1, 585, 10), 1u);
    EXPECT_EQ(LabelAt(ch, 1, 590, 10), std::nullopt);  // right edge exclusive
    ch.tiers[1].in_use = 0;
    EXPECT_EQ(TierAt(ch, 100, 5), std::nullopt);
    EXPECT_EQ(LabelAt(ch, 12, 0, 0), std::nullopt);
}

TEST_F(GestureFixture, OutlineIsHeldInsideTheBand) {
    const Rect band{40, 10, 1040, 30};
    const Rect hit{100, 10, 140, 30};
    EXPECT_EQ(DragOutline(hit, band, 25, 0), (Rect{125, 10, 165, 30}));
    EXPECT_EQ(DragOutline(hit, band, -5, -50), (Rect{95, 10, 135, 30}));
    EXPECT_EQ(DragOutline(hit, band, 0, 80), (Rect{100, 10, 140, 30}));
}

TEST_F(GestureFixture, MoveShiftsTimeByTheOutlineDisplacement) {
    add(make("word", 500.0));
    ASSERT_TRUE(g.press(ch, 545, 10));
    ASSERT_TRUE(g.hit());
    g.drag(ch, 645, 90);  // 100 px right and far below the band
    EXPECT_TRUE(g.dragged());
    EXPECT_EQ(g.dragged_rect().top, 0);
    ASSERT_TRUE(g.commit_move(ch, saver));
    EXPECT_EQ(saves, 1);
    const LABEL& l = ch.tiers[1].labels[0];
    EXPECT_NEAR(l.time_ms, 600.0, 1e-9);
    EXPECT_DOUBLE_EQ(l.placement, 0.7);
    EXPECT_EQ(l.rect, (Rect{640, 0, 680, 20}));
}

TEST_F(GestureFixture, VerticalOnlyMoveKeepsTheTime) {
    add(make("word", 250.0));
    g.press(ch, 295, 5);
    g.drag(ch, 295, 15);
    ASSERT_TRUE(g.commit_move(ch, saver));
    EXPECT_DOUBLE_EQ(ch.tiers[1].labels[0].time_ms, 250.0);
}

TEST_F(GestureFixture, MoveNearTheRightEdgeStaysInsideTheRecording) {
    add(make("longlabel", 990.0, 2));  // right-justified: rect 900..990
    g.press(ch, 950, 5);
    g.drag(ch, 1200, 5);
    ASSERT_TRUE(g.commit_move(ch, saver));
    EXPECT_LE(ch.tiers[1].labels[0].time_ms, 1000.0);
    EXPECT_GE(ch.tiers[1].labels[0].time_ms, 990.0);
}

TEST_F(GestureFixture, FailedUndoSaveChangesNothing) {
    add(make("word", 500.0));
    save_ok = false;
    g.press(ch, 545, 10);
    g.drag(ch, 600, 10);
    EXPECT_FALSE(g.commit_move(ch, saver));
    EXPECT_DOUBLE_EQ(ch.tiers[1].labels[0].time_ms, 500.0);
    EXPECT_FALSE(g.commit_entry(ch, answer(""), saver, width));
    EXPECT_EQ(ch.tiers[1].label_count(), 1);
    g.press(ch, 100, 10);
    ch.marker_ms = 60.0;
    EXPECT_FALSE(g.commit_entry(ch, answer("new"), saver, width));
    EXPECT_EQ(ch.tiers[1].label_count(), 1);
    EXPECT_EQ(saves, 3);
}

TEST_F(GestureFixture, EntryChangesDeletesOrAddsAndSetsTheTemplate) {
    add(make("old", 300.0));
    // Change: new text and look, old time.
    g.press(ch, 345, 10);
    EXPECT_STREQ(g.entry_seed().text, "old");
    ASSERT_TRUE(g.commit_entry(ch, answer("new", 1), saver, width));
    LABEL l = ch.tiers[1].labels[0];
    EXPECT_STREQ(l.text, "new");
    EXPECT_EQ(l.align, 1);
    EXPECT_EQ(l.color, 0x0000FFu);
    EXPECT_DOUBLE_EQ(l.time_ms, 300.0);
    EXPECT_EQ(l.rect, (Rect{325, 0, 355, 20}));
    EXPECT_STREQ(g.label_template().text, "new");
    // The 18-pixel font needs 24 pixels of band.
    EXPECT_EQ(ch.tiers[1].height, 24);
    g.finish();

    // New label at the cursor, pre-filled from the template.
    g.press(ch, 700, 10);
    EXPECT_FALSE(g.hit());
    EXPECT_STREQ(g.entry_seed().text, "new");
    ch.marker_ms = 660.0;
    EXPECT_FALSE(g.commit_entry(ch, answer(""), saver, width));  // empty text adds nothing
    LabelEntryAnswer cancelled = answer("x");
    cancelled.accepted = false;
    EXPECT_FALSE(g.commit_entry(ch, cancelled, saver, width));
    ASSERT_TRUE(g.commit_entry(ch, answer("tone"), saver, width));
    ASSERT_EQ(ch.tiers[1].label_count(), 2);
    EXPECT_DOUBLE_EQ(ch.tiers[1].labels[1].time_ms, 660.0);
    EXPECT_DOUBLE_EQ(ch.tiers[1].labels[1].placement, 0.7);
    g.finish();

    // Empty text on an existing label deletes it.
    g.press(ch, 705, 10);
    ASSERT_TRUE(g.hit());
    ASSERT_TRUE(g.commit_entry(ch, answer(""), saver, width));
    ASSERT_EQ(ch.tiers[1].label_count(), 1);
    EXPECT_STREQ(ch.tiers[1].labels[0].text, "new");
    EXPECT_STREQ(g.label_template().text, "tone");
    EXPECT_EQ(saves, 3);
}

TEST_F(GestureFixture, PressOutsideBandsIsNoLabelGesture) {
    EXPECT_FALSE(g.press(ch, 500, 100));
    EXPECT_FALSE(g.label_mode());
    EXPECT_FALSE(g.drag(ch, 520, 100).has_value());
    EXPECT_FALSE(g.commit_entry(ch, answer("x"), saver, width));
    EXPECT_EQ(saves, 0);
}

struct BandCase {
    std::int32_t font_height;
    int band_before, band_after;
};
class BandGrowth : public ::testing::TestWithParam<BandCase> {};

TEST_P(BandGrowth, GrowsToHeightAndAThird) {
    Tier t;
    t.height = GetParam().band_before;
    LogFont f;
    f.height = GetParam().font_height;
    GrowBandForFont(t, f);
    EXPECT_EQ(t.height, GetParam().band_after);
}

INSTANTIATE_TEST_SUITE_P(Fonts, BandGrowth,
                         ::testing::Values(BandCase{-15, 20, 20},   // 15 + 5 = 20: fits
                                           BandCase{-16, 20, 21},   // taller than 3/4 of the band
                                           BandCase{30, 20, 40},    // cell height, positive
                                           BandCase{0, 10, 18},     // default 14 px
                                           BandCase{-12, 50, 50})); // never shrinks

}  // namespace
}  // namespace vox
