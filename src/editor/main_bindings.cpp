// The binding table of the editor window: each control, the setting of the session it shows and
// the edit of the session its user changes make. A new setting of the former is one field of the
// work, one edit function of the session and one row here.
#include "editor/main.h"

#include "editor/number_box.h"
#include "editor/picture_box.h"
#include "editor/status_line.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

#include <functional>
#include <memory>
#include <utility>

namespace {

using Handler = void (Main::*)();

} // namespace

// The tables that tie each control to what it shows and the handler its user changes run.
struct Main::Bindings {
    // A slider, the whole number of the work it shows, its range, and the handler a user's move
    // runs (drag, click, keyboard, wheel) once the new value is in place, and for
    // `programChangesRun` any value set outside the window's own showing; a dimension slider's
    // press takes its value as the one applied.
    struct SliderRow {
        QSlider* MainControls::*slider;
        int (*shown)(const Work&);
        IntRange range;
        Handler handler;
        Handler press;
        bool programChangesRun = false;
    };

    // An option button, whether the work chooses it, and the handler a user's choice runs.
    struct OptionRow {
        QRadioButton* MainControls::*option;
        bool (*chosen)(const Work&);
        Handler handler;
    };

    // A check box, whether the work ticks it, and the handler a user's click runs.
    struct CheckRow {
        QCheckBox* MainControls::*check;
        bool (*ticked)(const Work&);
        Handler handler;
    };

    // A box where a number is typed, the value of the session it shows, and the edit its confirmed
    // number makes: "" or the reason it is refused (the box then shows the value in force again).
    struct BoxRow {
        NumberBox* MainControls::*box;
        double (*shown)(const EditorSession&);
        std::string (*typed)(EditorSession&, double, Changed&);
    };

    static const std::vector<SliderRow>& sliderRows();
    static const std::vector<OptionRow>& optionRows();
    static const std::vector<CheckRow>& checkRows();
    static const std::vector<BoxRow>& boxRows();
};

const std::vector<Main::Bindings::SliderRow>& Main::Bindings::sliderRows() {
    static const std::vector<SliderRow> rows = {
        {&MainControls::Hscroll2, [](const Work& w) { return w.sampleCount; }, kSampleCountRange,
         &Main::Hscroll2_Change, nullptr, true},
        {&MainControls::Hscroll3, [](const Work& w) { return w.orderSlider; }, kOrderRange,
         &Main::Hscroll3_Scroll, nullptr},
        {&MainControls::Hscroll1, [](const Work& w) { return w.doublingScale; },
         kDoublingScaleRange, &Main::Hscroll1_Scroll, nullptr},
        {&MainControls::Slider1, [](const Work& w) { return w.thickness.value; }, kThicknessRange,
         &Main::Slider1_Scroll, &Main::Slider1_MouseDown},
        {&MainControls::Slider2, [](const Work& w) { return w.height.value; }, kHeightRange,
         &Main::Slider2_Scroll, &Main::Slider2_MouseDown},
        {&MainControls::Slider3, [](const Work& w) { return w.width.value; }, kWidthRange,
         &Main::Slider3_Scroll, &Main::Slider3_MouseDown},
        {&MainControls::Slider4, [](const Work& w) { return w.pictureHoriz; }, kPictureHorizRange,
         &Main::Slider4_Scroll, nullptr},
        {&MainControls::Slider6, [](const Work& w) { return w.pictureVert; }, kPictureVertRange,
         &Main::Slider6_Scroll, nullptr},
        {&MainControls::Slider5, [](const Work& w) { return w.pictureZoom; }, kPictureZoomRange,
         &Main::Slider5_Scroll, nullptr},
    };
    return rows;
}

const std::vector<Main::Bindings::OptionRow>& Main::Bindings::optionRows() {
    static const std::vector<OptionRow> rows = {
        {&MainControls::Option5, [](const Work& w) { return w.slaved; }, &Main::Option5_Click},
        {&MainControls::Option6, [](const Work& w) { return !w.slaved; }, &Main::Option6_Click},
        {&MainControls::Option1, [](const Work& w) { return w.joint == AssemblyJoint::Horizontal; },
         &Main::Option1_Click},
        {&MainControls::Option2, [](const Work& w) { return w.joint == AssemblyJoint::None; },
         &Main::Option2_Click},
        {&MainControls::Option7, [](const Work& w) { return w.joint == AssemblyJoint::Vertical; },
         &Main::Option7_Click},
        {&MainControls::optProportional,
         [](const Work& w) { return w.doublingMode == DoublingMode::Proportional; },
         &Main::DoublingMode_Click},
        {&MainControls::optConstantWidth,
         [](const Work& w) { return w.doublingMode == DoublingMode::ConstantWidth; },
         &Main::DoublingMode_Click},
        {&MainControls::Option3, [](const Work& w) { return w.mouseAction == MouseAction::Former; },
         &Main::Option3_Click},
        {&MainControls::Option4,
         [](const Work& w) { return w.mouseAction == MouseAction::Doubling; },
         &Main::Option4_Click},
    };
    return rows;
}

const std::vector<Main::Bindings::CheckRow>& Main::Bindings::checkRows() {
    static const std::vector<CheckRow> rows = {
        {&MainControls::Check4, [](const Work& w) { return w.doublingOn; }, &Main::Check4_Click},
        {&MainControls::chkEndsOnAxis, [](const Work& w) { return w.endsOnAxis; },
         &Main::chkEndsOnAxis_Click},
    };
    return rows;
}

const std::vector<Main::Bindings::BoxRow>& Main::Bindings::boxRows() {
    static const std::vector<BoxRow> rows = {
        {&MainControls::Text3, [](const EditorSession& s) { return double(s.work().sampleCount); },
         [](EditorSession& s, double v, Changed& c) {
             // As the slider would: an assembled former keeps the samples its joint needs.
             c = s.setSampleCount(static_cast<int>(v), true);
             return std::string();
         }},
        {&MainControls::txtDoublingWidth,
         [](const EditorSession& s) { return s.work().doublingWidth; },
         [](EditorSession& s, double v, Changed& c) { return s.setDoublingWidth(v, c); }},
        {&MainControls::txtScale, [](const EditorSession& s) { return s.work().realScale; },
         [](EditorSession& s, double v, Changed& c) {
             c = s.setRealScale(v);
             return std::string();
         }},
    };
    return rows;
}

namespace {

// A mouse gesture on the watched widget: its press and its release, before the widget itself
// handles them.
class GestureWatcher final : public QObject {
public:
    GestureWatcher(QObject* watched, std::function<void(bool pressed)> action)
        : QObject(watched), action_(std::move(action)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress)
            action_(true);
        else if (event->type() == QEvent::MouseButtonRelease)
            action_(false);
        return false;
    }

private:
    std::function<void(bool)> action_;
};

} // namespace

void Main::bindControls() {
    for (const Bindings::CheckRow& row : Bindings::checkRows())
        connect(ui_.*row.check, &QCheckBox::clicked, this,
                [this, &row] { (this->*row.handler)(); });
    for (const Bindings::OptionRow& row : Bindings::optionRows()) {
        // Chosen by the user: the program's changes are made with the signals blocked.
        connect(ui_.*row.option, &QAbstractButton::toggled, this, [this, &row](bool on) {
            if (on)
                (this->*row.handler)();
        });
    }
    for (const Bindings::SliderRow& row : Bindings::sliderRows()) {
        QSlider* s = ui_.*row.slider;
        s->setRange(row.range.min, row.range.max);
        // A press and its release are one gesture: a click on the groove or a drag of the
        // thumb is one step (the thumb also when the program holds it down).
        new GestureWatcher(s, [this, &row](bool pressed) {
            if (!pressed) {
                session_.endGesture();
                return;
            }
            session_.beginGesture();
            if (row.press)
                (this->*row.press)();
        });
        connect(s, &QAbstractSlider::sliderPressed, this, [this] { session_.beginGesture(); });
        connect(s, &QAbstractSlider::sliderReleased, this, [this] { session_.endGesture(); });
        if (row.programChangesRun) {
            connect(s, &QAbstractSlider::valueChanged, this,
                    [this, &row] { (this->*row.handler)(); });
            continue;
        }
        // A user action first moves the slider's position and then sets its value: the
        // coming value change is the user's.
        auto pending = std::make_shared<bool>(false);
        connect(s, &QAbstractSlider::actionTriggered, this,
                [s, pending](int) { *pending = s->sliderPosition() != s->value(); });
        connect(s, &QAbstractSlider::valueChanged, this, [this, &row, pending](int) {
            if (std::exchange(*pending, false))
                (this->*row.handler)();
        });
    }
    for (const Bindings::BoxRow& row : Bindings::boxRows()) {
        NumberBox* box = ui_.*row.box;
        connect(box, &NumberBox::valueTyped, this, [this, &row, box](double v) {
            Changed changed = Changed::None;
            const std::string refusal = row.typed(session_, v, changed);
            show(changed);
            // Told after what it changed is shown: the refusal is what is true now.
            if (!refusal.empty())
                box->refuse(QString::fromStdString(refusal), row.shown(session_));
        });
    }
    // The point picked, typed in real millimetres.
    connect(ui_.txtPointX, &NumberBox::valueTyped, this, [this] { txtPoint_Validate(); });
    connect(ui_.txtPointY, &NumberBox::valueTyped, this, [this] { txtPoint_Validate(); });
    for (NumberBox* box :
         {ui_.Text3, ui_.txtDoublingWidth, ui_.txtScale, ui_.txtPointX, ui_.txtPointY})
        connect(box, &NumberBox::refused, statusLine_, &StatusLine::refuse);

    connect(ui_.SSTab1, &QTabWidget::currentChanged, this, [this](int index) {
        show(session_.setTab(index == 1 ? EditorTab::Masque : EditorTab::Dessin));
    });
    for (const auto& [index, button] : ui_.pb1Buttons)
        connect(button, &QToolButton::clicked, this, [this, i = index] { pb1_Click(i); });
    connect(ui_.Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });

    // The surface: its repaint, a change of screen, and the mouse in single precision, as the
    // handlers take it.
    PictureBox* p = ui_.Picture1;
    connect(p, &PictureBox::Paint, this, [this] { Picture1_Paint(); });
    connect(p, &PictureBox::screenChanged, this, [this] { Form_Resize(); });
    connect(p, &PictureBox::MouseDown, this, [this](int b, int s, double x, double y) {
        Picture1_MouseDown(b, s, static_cast<float>(x), static_cast<float>(y));
    });
    connect(p, &PictureBox::MouseMove, this, [this](int b, int s, double x, double y) {
        Picture1_MouseMove(b, s, static_cast<float>(x), static_cast<float>(y));
    });
    connect(p, &PictureBox::MouseUp, this, [this](int b, int s, double x, double y) {
        Picture1_MouseUp(b, s, static_cast<float>(x), static_cast<float>(y));
    });
}

// The handlers the system names: each one edit of the session, and what it changed shown.
void Main::Hscroll2_Change() {
    show(session_.setSampleCount(ui_.Hscroll2->value()));
}
void Main::Hscroll3_Scroll() {
    show(session_.setOrder(ui_.Hscroll3->value()));
}
void Main::Hscroll1_Scroll() {
    show(session_.setDoublingScale(ui_.Hscroll1->value()));
}
void Main::Check4_Click() {
    show(session_.setDoublingOn(ui_.Check4->isChecked()));
}
void Main::chkEndsOnAxis_Click() {
    show(session_.setEndsOnAxis(ui_.chkEndsOnAxis->isChecked()));
}
void Main::Option1_Click() {
    show(session_.setJoint(AssemblyJoint::Horizontal));
}
void Main::Option2_Click() {
    show(session_.setJoint(AssemblyJoint::None));
}
void Main::Option7_Click() {
    show(session_.setJoint(AssemblyJoint::Vertical));
}
void Main::Option3_Click() {
    show(session_.setMouseAction(MouseAction::Former));
}
void Main::Option4_Click() {
    show(session_.setMouseAction(MouseAction::Doubling));
}
void Main::Option5_Click() {
    show(session_.setSlaved(true));
}
void Main::Option6_Click() {
    show(session_.setSlaved(false));
}
void Main::DoublingMode_Click() {
    show(session_.setDoublingMode(ui_.optConstantWidth->isChecked() ? DoublingMode::ConstantWidth
                                                                    : DoublingMode::Proportional));
}
void Main::Slider1_MouseDown() {
    show(session_.pressDimension(EditorSession::Dimension::Thickness));
}
void Main::Slider2_MouseDown() {
    show(session_.pressDimension(EditorSession::Dimension::Height));
}
void Main::Slider3_MouseDown() {
    show(session_.pressDimension(EditorSession::Dimension::Width));
}
void Main::Slider1_Scroll() {
    show(session_.moveDimension(EditorSession::Dimension::Thickness, ui_.Slider1->value()));
}
void Main::Slider2_Scroll() {
    show(session_.moveDimension(EditorSession::Dimension::Height, ui_.Slider2->value()));
}
void Main::Slider3_Scroll() {
    show(session_.moveDimension(EditorSession::Dimension::Width, ui_.Slider3->value()));
}
void Main::Slider4_Scroll() {
    show(session_.setPictureHoriz(ui_.Slider4->value()));
}
void Main::Slider5_Scroll() {
    show(session_.setPictureZoom(ui_.Slider5->value()));
}
void Main::Slider6_Scroll() {
    show(session_.setPictureVert(ui_.Slider6->value()));
}
void Main::txtScale_Validate() {
    show(session_.setRealScale(ui_.txtScale->value()));
}

void Main::txtPoint_Validate() {
    SurfacePoint pointer;
    Changed changed = Changed::None;
    NumberBox* typed = ui_.txtPointX->hasFocus() ? ui_.txtPointX : ui_.txtPointY;
    const std::string refusal =
        session_.typePoint(ui_.txtPointX->value(), ui_.txtPointY->value(), pointer, changed);
    if (!refusal.empty()) {
        showSelectedPoint(); // the point's coordinates in force
        typed->refuse(QString::fromStdString(refusal), typed->value());
        return;
    }
    // The boxes under the pointer show where the point was typed, as a move there would.
    ui_.lblX->setText(pointerText(static_cast<float>(pointer.x)));
    ui_.lblY->setText(pointerText(static_cast<float>(pointer.y)));
    show(changed);
}

void Main::showSettings() {
    const Work& w = session_.work();
    fitPictureSliders(); // "Horiz" and "Vert" can show the work's values
    {
        std::vector<std::unique_ptr<QSignalBlocker>> quiet;
        for (const Bindings::SliderRow& row : Bindings::sliderRows()) {
            quiet.push_back(std::make_unique<QSignalBlocker>(ui_.*row.slider));
            (ui_.*row.slider)->setValue(row.shown(w));
        }
        for (const Bindings::OptionRow& row : Bindings::optionRows()) {
            quiet.push_back(std::make_unique<QSignalBlocker>(ui_.*row.option));
            if (row.chosen(w))
                (ui_.*row.option)->setChecked(true);
        }
        for (const Bindings::CheckRow& row : Bindings::checkRows()) {
            quiet.push_back(std::make_unique<QSignalBlocker>(ui_.*row.check));
            (ui_.*row.check)->setChecked(row.ticked(w));
        }
        const QSignalBlocker tabs(ui_.SSTab1);
        ui_.SSTab1->setCurrentIndex(session_.view().tab == EditorTab::Masque ? 1 : 0);
    }
    for (const Bindings::BoxRow& row : Bindings::boxRows())
        if (!(ui_.*row.box)->isMarked() || !(ui_.*row.box)->hasFocus())
            (ui_.*row.box)->setValue(row.shown(session_));
    showSelectedPoint();
    showPictureBoxes();
    showDoublingMode();
    ui_.T_EP->setText(QString::number(w.thickness.applied));
    ui_.T_H->setText(QString::number(w.height.applied));
    ui_.T_L->setText(QString::number(w.width.applied));

    // What the doubling's and the modes' controls show: enabled as the doubling allows.
    const bool on = w.doublingOn;
    if (w.doublingControls == DoublingControls::AsAtStartUp) {
        ui_.Label6->setText(QStringLiteral("Mode Asservi"));
        ui_.Label6->setVisible(true);
    } else {
        ui_.Label6->setText(w.slaved ? QStringLiteral("Mode asservi")
                                     : QStringLiteral("Mode découplé"));
        ui_.Label6->setVisible(on);
    }
    const bool follows = w.doublingControls == DoublingControls::FollowDoubling;
    ui_.Option4->setEnabled(!w.slaved);
    ui_.Frame4->setEnabled(on);
    ui_.Frame2->setEnabled(on);
    ui_.Hscroll1->setEnabled(!follows || on);
    ui_.Frame6->setEnabled(!follows || on);
    ui_.Frame8->setEnabled(!PicturePath().trimmed().isEmpty()); // once a picture was chosen
    showToolbarTags();
}

void Main::showDoublingMode() {
    // The scale's slider while proportional, the width's box while the width is constant.
    const bool constant = session_.work().doublingMode == DoublingMode::ConstantWidth;
    ui_.lblEpaisseur->setVisible(!constant);
    ui_.Hscroll1->setVisible(!constant);
    ui_.lblDoublingWidth->setVisible(constant);
    ui_.txtDoublingWidth->setVisible(constant);
}
