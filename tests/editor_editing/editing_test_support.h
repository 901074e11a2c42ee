#pragma once

#include "editor_test_support.h"

#include "editor/surface_mouse.h"
#include "splines.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QRadioButton>
#include <QSlider>
#include <QWheelEvent>

#include <array>
#include <string>
#include <utility>

// A mouse event on the drawing surface at a millimetre position.
inline void press(Main& w, QPointF mm, Qt::MouseButton b = Qt::LeftButton) {
    sendSurfaceMouse(*w.ui().Picture1, QEvent::MouseButtonPress, mm, b, b);
}
inline void moveTo(Main& w, QPointF mm, Qt::MouseButtons held = Qt::LeftButton) {
    sendSurfaceMouse(*w.ui().Picture1, QEvent::MouseMove, mm, Qt::NoButton, held);
}
inline void release(Main& w, QPointF mm, Qt::MouseButton b = Qt::LeftButton) {
    sendSurfaceMouse(*w.ui().Picture1, QEvent::MouseButtonRelease, mm, b, Qt::NoButton);
}
// The mouse wheel turned over the surface at a millimetre position by `eighths` eighths of a
// degree (120 a notch, away from the user to magnify).
inline void wheel(Main& w, QPointF mm, int eighths) {
    PictureBox& p = *w.ui().Picture1;
    const QPointF local = exactPixels(p, mm);
    QWheelEvent e(local, p.mapToGlobal(local), QPoint(), QPoint(0, eighths), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&p, &e);
}
// The drawing dragged by the middle button from one millimetre position of the surface to
// another, in a few moves.
inline void middleDrag(Main& w, QPointF from, QPointF to, int moves = 3) {
    press(w, from, Qt::MiddleButton);
    // Positions taken in the view the press saw: the drawing moves under the pointer.
    const QPointF a = w.ui().Picture1->toPixels(from.x(), from.y());
    const QPointF b = w.ui().Picture1->toPixels(to.x(), to.y());
    for (int i = 1; i <= moves; ++i) {
        const QPointF at = a + (b - a) * (double(i) / moves);
        QMouseEvent e(QEvent::MouseMove, at, w.ui().Picture1->mapToGlobal(at), Qt::NoButton,
                      Qt::MiddleButton, Qt::NoModifier);
        QApplication::sendEvent(w.ui().Picture1, &e);
    }
    QMouseEvent up(QEvent::MouseButtonRelease, b, w.ui().Picture1->mapToGlobal(b), Qt::MiddleButton,
                   Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w.ui().Picture1, &up);
}

// Where a press picks handle h: its centre.
inline QPointF centreOf(const FormerModel& m, const Handle& h) {
    return {h.Left + static_cast<double>(m.Rayon_X), h.Top - static_cast<double>(m.Rayon_Y)};
}
// A press, one move with the left button held, and the release.
inline void dragHandle(Main& w, const Handle& h, QPointF to) {
    press(w, centreOf(w.model(), h));
    moveTo(w, to);
    release(w, to);
}

// A click of the user on a check box or option button (nothing happens while disabled).
inline void userClick(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(4, b->height() / 2));
}

// The user drags a slider's thumb to v; false when the slider cannot be operated.
inline bool userSlide(QSlider* s, int v) {
    if (!s->isEnabled())
        return false;
    s->setSliderDown(true);
    s->setSliderPosition(v);
    s->setSliderDown(false);
    return true;
}

// The control's own enabled property, as the design table gives it.
inline bool ownEnabled(const QWidget* w) {
    return !w->testAttribute(Qt::WA_ForceDisabled);
}

// What the doubling's and the mode's controls show: each control's own enabled property ("+" or
// "-" after its name), then the mode label's caption, marked when hidden.
inline std::string doublingLook(const Main& w) {
    std::string look;
    for (const QWidget* c : std::initializer_list<const QWidget*>{
             w.ui().Frame2, w.ui().Frame4, w.ui().Frame6, w.ui().Hscroll1, w.ui().Option4})
        look += c->objectName().toStdString() + (ownEnabled(c) ? "+ " : "- ");
    return look + w.ui().Label6->text().toStdString() +
           (w.ui().Label6->isHidden() ? " (hidden)" : "");
}

// Rebuilds of the former's 3-D part since a moment: [in place, from scratch].
class RebuildCounter {
public:
    explicit RebuildCounter(const Main& w) {
        QObject::connect(&w, &Main::formerMeshRebuilt, &receiver_,
                         [this](int mode) { ++counts_[mode == 1 ? 1 : 0]; });
    }
    std::array<int, 2> delta() const { return counts_; }

private:
    QObject receiver_; // the connection goes with the counter
    std::array<int, 2> counts_{0, 0};
};

// The former's right half sampled afresh from its control points (no pins).
inline std::vector<PointXYZ> freshSamples(const FormerModel& m) {
    std::vector<PointXYZ> c(static_cast<std::size_t>(m.Nb_Points));
    Calcul_Spline(m.Pts_Couple, m.Ordre_Spline, c);
    return c;
}

// The paint events of a surface: the parts the window painted again.
class PaintWatcher : public QObject {
public:
    explicit PaintWatcher(QWidget& widget) : widget_(widget) { widget.installEventFilter(this); }
    // Paints the parts painted since the last call into `screen`, as the window painted them
    // (without the child widgets).
    void repaintInto(QImage& screen) {
        const QRegion painted = std::exchange(painted_, QRegion());
        if (painted.isEmpty())
            return; // (an empty region would render the whole surface)
        render(screen, painted);
    }
    // The whole surface painted now.
    QImage whole() {
        QImage all = blank();
        render(all, widget_.rect());
        return all;
    }
    // A screen of the surface's size that no frame shows.
    QImage blank() const {
        const qreal ratio = widget_.devicePixelRatioF();
        QImage screen(widget_.size() * ratio, QImage::Format_RGB32);
        screen.fill(0x123456u);
        screen.setDevicePixelRatio(ratio);
        return screen;
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &widget_ && event->type() == QEvent::Paint && !rendering_)
            painted_ += static_cast<QPaintEvent*>(event)->region();
        return false;
    }

private:
    void render(QImage& screen, const QRegion& region) {
        rendering_ = true;
        // The region lands with its bounds' corner at the offset given.
        widget_.render(&screen, region.boundingRect().topLeft(), region, QWidget::RenderFlags());
        rendering_ = false;
    }
    QWidget& widget_;
    QRegion painted_;
    bool rendering_ = false;
};
