#include "editor_test_support.h"

#include <QToolButton>

namespace {

QImage background(const Main& w) {
    return w.Picture1->backgroundLayer();
}

TEST(GridButton, HidesByOverdrawingThenShowsAgain) {
    auto w = shownMain();
    ASSERT_GT(countColour(background(*w), kGridGreen), 100) << "the first resize draws the grid";
    w->Redraw3D = false;
    w->pb1(14)->click();
    EXPECT_EQ(w->pb1Tag(14), "1");
    EXPECT_TRUE(w->Redraw3D);
    EXPECT_EQ(countColour(background(*w), kGridGreen), 0) << "black lines over the green ones";
    w->Redraw3D = false;
    w->pb1(14)->click();
    EXPECT_EQ(w->pb1Tag(14), "0");
    EXPECT_TRUE(w->Redraw3D);
    EXPECT_GT(countColour(background(*w), kGridGreen), 100);
}

TEST(HandlesButton, HidesAndShowsEveryFormerHandle) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    const auto doubling = m.Shape1;
    w->pb1(5)->click();
    EXPECT_EQ(w->pb1Tag(5), "-1");
    for (const Handle& h : m.shppi)
        EXPECT_FALSE(h.Visible);
    EXPECT_EQ(countColour(w->Picture1->grab().toImage(), QColor(255, 0, 255)), 0);
    w->pb1(5)->click();
    EXPECT_EQ(w->pb1Tag(5), "0");
    for (const Handle& h : m.shppi)
        EXPECT_TRUE(h.Visible);
    for (std::size_t i = 0; i < doubling.size(); ++i)
        EXPECT_EQ(m.Shape1[i].Visible, doubling[i].Visible) << "doubling handles untouched";
}

TEST(DottedPolylineButton, BlackensThenRestoresEverySegment) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    ASSERT_EQ(m.LinPi.size(), 8u);
    w->pb1(2)->click();
    EXPECT_EQ(w->pb1Tag(2), "0");
    for (const LineItem& l : m.LinPi)
        EXPECT_EQ(l.BorderColor, colours::Black);
    w->pb1(2)->click();
    EXPECT_EQ(w->pb1Tag(2), "1");
    for (const LineItem& l : m.LinPi)
        EXPECT_EQ(l.BorderColor, colours::Green);
}

TEST(PointViewButton, DotsOnlyTheRightHalfWhileOn) {
    auto w = shownMain();
    const PictureBox& p = *w->Picture1;
    auto redRightOfAxis = [&] {
        const QImage overlay = p.overlayLayer();
        const int axis = deviceX(p, overlay, w->model().X1());
        return countColour(overlay, kRed, QRect(axis + 2, 0, overlay.width(), overlay.height()));
    };
    auto redLeftOfAxis = [&] {
        const QImage overlay = p.overlayLayer();
        const int axis = deviceX(p, overlay, w->model().X1());
        return countColour(overlay, kRed, QRect(0, 0, axis - 2, overlay.height()));
    };
    EXPECT_GT(redRightOfAxis(), 20) << "the dots are on at start";
    const int leftOutline = redLeftOfAxis();
    w->pb1(3)->click();
    EXPECT_EQ(w->pb1Tag(3), "0");
    EXPECT_EQ(redRightOfAxis(), 0);
    EXPECT_EQ(redLeftOfAxis(), leftOutline) << "the left half is never dotted";
    w->pb1(3)->click();
    EXPECT_EQ(w->pb1Tag(3), "1");
    EXPECT_GT(redRightOfAxis(), 20);
}

TEST(AxesButton, OnlyFlipsItsTagAndAsksForA3DRedraw) {
    auto w = shownMain();
    const QImage before = background(*w);
    w->Redraw3D = false;
    w->pb1(10)->click();
    EXPECT_EQ(w->pb1Tag(10), "1");
    EXPECT_TRUE(w->Redraw3D);
    w->pb1(10)->click();
    EXPECT_EQ(w->pb1Tag(10), "0");
    EXPECT_EQ(background(*w), before);
}

TEST(Toolbar, IndicesWithoutAButtonChangeNothing) {
    auto w = shownMain();
    const FormerModel& m = w->model();
    const QImage bg = background(*w);
    const auto points = m.Pts_Couple;
    const auto samples = m.Courbe_Droite;
    std::vector<QString> tags;
    for (int i : Main::pb1Indices())
        tags.push_back(w->pb1Tag(i));
    w->Redraw3D = false;
    for (int index : {4, 6, 7, 8, 9, 12, 13, -1, 15, 32767})
        w->pb1_Click(index);
    EXPECT_FALSE(w->Redraw3D);
    EXPECT_EQ(background(*w), bg);
    EXPECT_EQ(m.Pts_Couple, points);
    EXPECT_EQ(m.Courbe_Droite, samples);
    std::size_t k = 0;
    for (int i : Main::pb1Indices())
        EXPECT_EQ(w->pb1Tag(i), tags[k++]) << i;
}

TEST(Toolbar, TagsReadAsNumbers) {
    EXPECT_EQ(Main::tagValue(""), 0);
    EXPECT_EQ(Main::tagValue("0"), 0);
    EXPECT_EQ(Main::tagValue("1"), 1);
    EXPECT_EQ(Main::tagValue("-1"), -1);
    EXPECT_EQ(Main::tagValue(" 12abc"), 12);
    EXPECT_EQ(Main::tagValue("abc"), 0);
    EXPECT_EQ(Main::tagValue("99999999999999999999"), 1000000000) << "bounded, no overflow";
}

TEST(Toolbar, UnknownTagTextCountsAsZero) {
    auto w = shownMain();
    // A tag that is not a number reads as zero: the grid is hidden on the next click.
    w->setPb1Tag(14, "");
    w->pb1(14)->click();
    EXPECT_EQ(w->pb1Tag(14), "1");
    EXPECT_EQ(countColour(background(*w), kGridGreen), 0);
}

} // namespace

namespace {

TEST(Grid, CoversTheWholeSurfaceWhateverItsShape) {
    for (const QSizeF mm : {QSizeF(120, 100), QSizeF(60, 180)}) {
        auto w = shownMain(mm);
        const QImage bg = w->Picture1->backgroundLayer();
        // Every 10 mm band of the surface, down to the bottom, holds grid lines.
        const int bandHeight = bg.height() * 10 / qRound(mm.height());
        for (int top = 0; top + bandHeight <= bg.height(); top += bandHeight)
            EXPECT_GT(countColour(bg, kGridGreen, QRect(0, top, bg.width(), bandHeight)), 0)
                << mm.width() << "x" << mm.height() << " band at " << top;
    }
}

} // namespace
