#include "editor/class_elastic.h"

#include "editor/picture_box.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

#include <cmath>

namespace {

constexpr double kTwipsPerInch = 1440.0;

double twipsX(const QWidget* w, double px) {
    return px * kTwipsPerInch / w->logicalDpiX();
}
double twipsY(const QWidget* w, double px) {
    return px * kTwipsPerInch / w->logicalDpiY();
}
int pixelsX(const QWidget* w, double twips) {
    return static_cast<int>(std::lround(twips * w->logicalDpiX() / kTwipsPerInch));
}
int pixelsY(const QWidget* w, double twips) {
    return static_cast<int>(std::lround(twips * w->logicalDpiY() / kTwipsPerInch));
}

// Rounds down to a whole number, as the layout does with every scaled value.
int Int(double v) {
    return static_cast<int>(std::floor(v));
}

bool isLine(const QWidget* w) {
    const auto* f = qobject_cast<const QFrame*>(w);
    return f && (f->frameShape() == QFrame::HLine || f->frameShape() == QFrame::VLine);
}

// Widgets whose children are controls of the design rather than the widget's own parts.
bool holdsControls(const QWidget* w) {
    return qobject_cast<const QGroupBox*>(w) || qobject_cast<const PictureBox*>(w) ||
           w->metaObject() == &QWidget::staticMetaObject;
}

void collect(QWidget* parent, std::vector<QWidget*>& out) {
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow())
            continue;
        out.push_back(w);
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                collect(tabs->widget(i), out);
        } else if (holdsControls(w)) {
            collect(w, out);
        }
    }
}

QWidget* controlRoot(QWidget* frm) {
    if (auto* mw = qobject_cast<QMainWindow*>(frm); mw && mw->centralWidget())
        return mw->centralWidget();
    return frm;
}

} // namespace

class_Elastic::Kind class_Elastic::kindOf(const QWidget* w) {
    if (isLine(w))
        return Kind::Line;
    if (qobject_cast<const QPushButton*>(w) || qobject_cast<const QToolButton*>(w))
        return Kind::CommandButton;
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
        qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w))
        return Kind::TextBox;
    return Kind::Other;
}

std::vector<QWidget*> class_Elastic::controls() const {
    std::vector<QWidget*> v;
    for (const Control& c : table_) {
        if (c.widget)
            v.push_back(c.widget);
    }
    return v;
}

void class_Elastic::Size_Init(QWidget* frm, int /*nWindState*/) {
    // 1.
    const QSize outer = frm->frameGeometry().size();
    H0 = static_cast<int>(std::lround(twipsY(frm, outer.height())));
    W0 = static_cast<int>(std::lround(twipsX(frm, outer.width())));
    std::vector<QWidget*> widgets;
    collect(controlRoot(frm), widgets);
    count = static_cast<int>(widgets.size()) - 1;
    // 2. Every value in whole twips.
    table_.clear();
    for (QWidget* w : widgets) {
        Control c{w, kindOf(w)};
        const QRect g = w->geometry();
        auto tx = [w](int px) { return static_cast<int>(std::lround(twipsX(w, px))); };
        auto ty = [w](int px) { return static_cast<int>(std::lround(twipsY(w, px))); };
        if (c.kind == Kind::Line) {
            c.a = ty(g.top());
            c.b = tx(g.left());
            c.c = ty(g.top() + g.height());
            c.d = tx(g.left() + g.width());
        } else {
            c.a = ty(g.top());
            c.b = tx(g.left());
            c.c = ty(g.height());
            c.d = tx(g.width());
        }
        table_.push_back(c);
    }
    // 3.
    firstResizePending = true;

    // The window cannot be made smaller than half its recorded size.
    frameAtRecording_ = frm->frameGeometry().size() - frm->size();
    followFrame(frm);
}

void class_Elastic::followFrame(QWidget* frm) {
    // The frame around a window is known only once it is shown: the recorded outer size is
    // that of the recorded inner size in the frame the window has now.
    const QSize frame = frm->frameGeometry().size() - frm->size();
    const QSize grown = frame - frameAtRecording_;
    frameAtRecording_ = frame;
    H0 += static_cast<int>(std::lround(twipsY(frm, grown.height())));
    W0 += static_cast<int>(std::lround(twipsX(frm, grown.width())));
    minimumOuter_ = QSize(pixelsX(frm, W0 / 2.0), pixelsY(frm, H0 / 2.0));
    if (frm->minimumSize() != minimumOuter_ - frame)
        frm->setMinimumSize(minimumOuter_ - frame);
}

void class_Elastic::FormResize(QWidget* frm) {
    if (!recorded())
        return;
    // 3. The first layout request after recording leaves the design layout in place.
    if (firstResizePending) {
        firstResizePending = false;
        followFrame(frm);
        return;
    }
    // 4. The minimum size.
    followFrame(frm);
    const QSize frame = frm->frameGeometry().size() - frm->size();
    const QSize outer = frm->frameGeometry().size();
    if (outer.width() < minimumOuter_.width() || outer.height() < minimumOuter_.height()) {
        // The window grows to its minimum; that resize lays the controls out.
        frm->resize(outer.expandedTo(minimumOuter_) - frame);
        return;
    }
    // 5. The caption and menu allowance is taken off the heights only.
    const double height = twipsY(frm, outer.height());
    const double width = twipsX(frm, outer.width());
    const double ratioH = (H0 - kHeightAllowance) / (height - kHeightAllowance);
    const double ratioW = W0 / width;
    if (!(ratioH > 0.0) || !(ratioW > 0.0))
        return; // a window no higher than its caption has nothing to lay out
    // 6.
    for (const Control& c : table_) {
        QWidget* w = c.widget;
        if (!w)
            continue; // a control that went away is skipped
        switch (c.kind) {
        case Kind::Line: {
            const int top = pixelsY(w, Int(c.a / ratioH));
            const int left = pixelsX(w, Int(c.b / ratioW));
            w->setGeometry(left, top, pixelsX(w, Int(c.d / ratioW)) - left,
                           pixelsY(w, Int(c.c / ratioH)) - top);
            break;
        }
        case Kind::Shape:
        case Kind::CommandButton:
            break;
        case Kind::TextBox:
            w->move(pixelsX(w, Int(c.b / ratioW)), pixelsY(w, Int(c.a / ratioH)));
            break;
        case Kind::Other:
            w->setGeometry(pixelsX(w, Int(c.b / ratioW)), pixelsY(w, Int(c.a / ratioH)),
                           pixelsX(w, Int(c.d / ratioW)), pixelsY(w, Int(c.c / ratioH)));
            break;
        }
    }
}
