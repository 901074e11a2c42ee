#include "editor_test_support.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Resizes the window to an outer size, as a user dragging its border does.
void resizeOuter(Main& w, QSize outer) {
    w.resize(outer - (w.frameGeometry().size() - w.size()));
    QApplication::processEvents();
}

bool yellowNear(const QImage& overlay, QPointF px) {
    const QPoint at = (px * overlay.devicePixelRatio()).toPoint();
    return countColour(overlay, kYellow, QRect(at - QPoint(2, 2), QSize(5, 5))) > 0;
}

// A table of resizes, each starting from whatever the one before left: every control follows
// its rule from the recorded design, the tab, the grid and the picture stay as the user had
// them, and the drawing and the picture are shown at one scale from the surface's top-left
// corner.
TEST(Layout, ControlsFollowTheWindowFromTheirRecordedDesign) {
    auto w = shownMain();
    const QSize design = w->frameGeometry().size();
    struct Designed {
        QWidget* control;
        class_Elastic::Kind kind;
        QRect geometry;
    };
    std::vector<Designed> controls;
    for (QWidget* c : w->Elastic().controls())
        controls.push_back({c, class_Elastic::kindOf(c), c->geometry()});
    ASSERT_GE(controls.size(), 50u);
    const QSize surface0 = w->ui().Picture1->size();
    const int framesLeft = qRound(120.0 * w->logicalDpiX() / 1440.0);
    PictureBox& p = *w->ui().Picture1;
    QTemporaryDir dir;
    ASSERT_TRUE(plainPicture({300, 200}, Qt::blue).save(dir.filePath("plan.bmp")));
    choosePicture(*w, dir.filePath("plan.bmp"));
    ASSERT_TRUE(w->pictureOn());

    struct Row {
        const char* what;
        QSize outer;
        int tab;
        bool gridShown;
        bool pictureShown;
        bool twiceAsWide;    // the height as designed
        bool hidden = false; // resized while hidden, then shown
    };
    const Row rows[] = {
        {"twice as wide", {2 * design.width(), design.height()}, 0, true, true, true},
        {"below half the size snaps to half", design / 3, 1, true, false, false},
        {"twice as wide, grid hidden", {2 * design.width(), design.height()}, 1, false, true, true},
        {"a 4K screen", {3840, 2160}, 0, true, true, false},
        {"one and a half wide, 1.3 high, while hidden",
         {design.width() * 3 / 2, design.height() * 13 / 10},
         1,
         true,
         true,
         false,
         true},
        {"back to the design size", design, 0, true, false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        w->ui().SSTab1->setCurrentIndex(r.tab);
        if ((w->pb1Tag(14) == "0") != r.gridShown)
            w->pb1_Click(14);
        if (w->pictureOn() != r.pictureShown)
            w->ui().Command4->click();
        if (r.hidden)
            w->hide();
        resizeOuter(*w, r.outer);
        if (r.hidden) {
            w->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
            QApplication::processEvents();
        }
        const QSize outer = w->frameGeometry().size();
        // Each recorded value in whole twips, scaled and rounded down, then to pixels: checked
        // at ratios that are not whole, where rounding to the nearest would differ.
        const double twipsPerPixel = 1440.0 / w->logicalDpiX();
        const auto scaled = [twipsPerPixel](int px, double recorded, double now) {
            const double twips = std::lround(px * twipsPerPixel);
            return int(std::lround(std::floor(twips / (recorded / now)) / twipsPerPixel));
        };
        const double W0 = std::lround(design.width() * twipsPerPixel);
        const double W = outer.width() * twipsPerPixel;
        EXPECT_EQ(outer, r.outer.expandedTo(w->Elastic().minimumOuterSize()));
        EXPECT_LE(std::abs(2 * w->Elastic().minimumOuterSize().width() - design.width()), 1);
        EXPECT_LE(std::abs(2 * w->Elastic().minimumOuterSize().height() - design.height()), 1);
        EXPECT_EQ(w->ui().SSTab1->currentIndex(), r.tab);
        EXPECT_EQ(w->ui().Frame5->x(), framesLeft);
        EXPECT_EQ(w->ui().Frame10->x(), framesLeft);
        for (const Designed& c : controls) {
            SCOPED_TRACE(c.control->objectName().toStdString());
            const QRect g = c.control->geometry();
            if (c.kind == class_Elastic::Kind::CommandButton) {
                EXPECT_EQ(g, c.geometry);
            } else if (r.twiceAsWide) {
                if (c.control != w->ui().Frame5 && c.control != w->ui().Frame10 &&
                    c.control != w->ui().Label4) {
                    EXPECT_EQ(g.left(), 2 * c.geometry.left());
                }
                EXPECT_EQ(g.top(), c.geometry.top());
            }
            if (c.kind == class_Elastic::Kind::Other && c.control != w->ui().Frame5 &&
                c.control != w->ui().Frame10 && c.control != w->ui().Label4) {
                EXPECT_EQ(g.left(), scaled(c.geometry.left(), W0, W));
                EXPECT_EQ(g.width(), scaled(c.geometry.width(), W0, W));
            }
            if (c.kind == class_Elastic::Kind::TextBox) {
                EXPECT_EQ(g.size(), c.geometry.size());
            } else if (c.kind == class_Elastic::Kind::Other && r.twiceAsWide) {
                EXPECT_EQ(g.size(), QSize(2 * c.geometry.width(), c.geometry.height()));
            }
        }
        // One scale for both axes, the smaller ratio; the other axis shows more drawing area.
        const double scale =
            std::min(double(p.width()) / surface0.width(), double(p.height()) / surface0.height());
        EXPECT_DOUBLE_EQ(p.viewScale(), scale);
        if (outer != design) { // where the design's millimetres are kept exactly
            EXPECT_NEAR(p.ScaleWidth(), p.width() / (scale * p.screenPixelsPerMm()), 1e-9);
        }
        EXPECT_EQ(countColour(p.backgroundLayer(), kGridGreen) > 0, r.gridShown);
        // The picture, on or off as it was; its top edge 24 design pixels down (initial pan and
        // zoom), at the view scale.
        EXPECT_EQ(w->pictureOn(), r.pictureShown);
        const QImage shown = p.pictureLayer();
        const qreal dpr = shown.devicePixelRatio();
        const int edge = qRound(24 * scale * dpr);
        EXPECT_EQ(shown.pixelColor(4, edge + 2) == QColor(Qt::blue), r.pictureShown);
        EXPECT_EQ(shown.pixelColor(4, edge - 2), QColor(Qt::black));
        p.repaint();
        const FormerModel& m = w->model();
        // The end handles sit on the axis at every size, as at the design size: the magenta
        // circle of the top one is centred on it.
        const QImage shot = p.grab().toImage();
        int lo = shot.width(), hi = -1;
        for (int y = 0; y < shot.height() / 2; ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixelColor(x, y) == QColor(255, 0, 255)) {
                    lo = std::min(lo, x);
                    hi = std::max(hi, x);
                }
        EXPECT_NEAR((lo + hi + 1) / 2.0, p.toPixels(m.X1(), 0).x() * shot.devicePixelRatio(), 1.5);
        // The "^" under the axis, where the view scale puts it.
        // (within the design's own quarter pixel off the axis, at the view scale, and rounding)
        EXPECT_NEAR(w->ui().Label4->geometry().center().x(), p.toPixels(m.X1(), 0).x(), 2.0);
        for (std::size_t i = 1; i + 1 < m.Courbe_Droite.size(); ++i)
            EXPECT_TRUE(yellowNear(p.overlayLayer(),
                                   p.toPixels(m.Courbe_Droite[i].x, m.Courbe_Droite[i].y)))
                << i;
    }
    // Computed from the recorded values every time: back at the design size, nothing moved.
    for (const Designed& c : controls)
        EXPECT_EQ(c.control->geometry(), c.geometry) << c.control->objectName().toStdString();
    EXPECT_EQ(p.viewScale(), 1.0);
    EXPECT_EQ(p.ScaleWidth(), Main::kDesignSurfaceWidth);
}

} // namespace
