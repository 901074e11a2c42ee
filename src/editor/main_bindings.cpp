// The binding table of the editor window: each control, the setting of the session it shows
// and stores, its range, the handler it runs and when, and the name of the undo step its change
// makes. A new slider is one field of the work, one row here and its handler.
#include "editor/main.h"

#include "editor/number_box.h"
#include "editor/picture_box.h"

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

// A slider and the whole number of the work it shows and stores. The handler runs when the
// user moved the slider (drag, click, keyboard, wheel), once the new value is in place; for
// `programChangesRun` also when the program sets it. `press` runs when the mouse goes down on
// it. The step a change makes is named `caption`; `derived` is a setting its handler changes
// with it, named alike.
struct SliderRow {
    QSlider* MainControls::*slider;
    int& (*field)(Work&);
    IntRange range;
    Handler handler;
    bool programChangesRun;
    Handler press;
    const char* caption;
    int& (*derived)(Work&);
};

const SliderRow kSliders[] = {
    {&MainControls::Hscroll2, [](Work& w) -> int& { return w.sampleCount; }, kSampleCountRange,
     &Main::Hscroll2_Change, true, nullptr, "régler « Nbre de Points »", nullptr},
    {&MainControls::Hscroll3, [](Work& w) -> int& { return w.orderSlider; }, kOrderRange,
     &Main::Hscroll3_Scroll, false, nullptr, "régler « Résolution »",
     [](Work& w) -> int& { return w.orderInUse; }},
    {&MainControls::Hscroll1, [](Work& w) -> int& { return w.doublingScale; }, kDoublingScaleRange,
     &Main::Hscroll1_Scroll, false, nullptr, "régler « Epaisseur »", nullptr},
    {&MainControls::Slider1, [](Work& w) -> int& { return w.thickness.value; }, kThicknessRange,
     &Main::Slider1_Scroll, false, &Main::Slider1_MouseDown, "régler l'épaisseur de la pièce",
     [](Work& w) -> int& { return w.thickness.applied; }},
    {&MainControls::Slider2, [](Work& w) -> int& { return w.height.value; }, kHeightRange,
     &Main::Slider2_Scroll, false, &Main::Slider2_MouseDown, "régler la hauteur de la pièce",
     [](Work& w) -> int& { return w.height.applied; }},
    {&MainControls::Slider3, [](Work& w) -> int& { return w.width.value; }, kWidthRange,
     &Main::Slider3_Scroll, false, &Main::Slider3_MouseDown, "régler la largeur de la pièce",
     [](Work& w) -> int& { return w.width.applied; }},
    {&MainControls::Slider4, [](Work& w) -> int& { return w.pictureHoriz; }, kPictureHorizRange,
     &Main::Slider4_Scroll, false, nullptr, "déplacer l'image", nullptr},
    {&MainControls::Slider6, [](Work& w) -> int& { return w.pictureVert; }, kPictureVertRange,
     &Main::Slider4_Scroll, false, nullptr, "déplacer l'image", nullptr},
    {&MainControls::Slider5, [](Work& w) -> int& { return w.pictureZoom; }, kPictureZoomRange,
     &Main::Slider5_Scroll, false, nullptr, "régler le zoom de l'image", nullptr},
};

// An option button and the choice of the work it stands for. Its handler runs whenever it
// becomes selected, by the user or by the program. Choosing it makes a step named `caption`.
struct OptionRow {
    QRadioButton* MainControls::*option;
    void (*choose)(Work&);
    bool (*chosen)(const Work&);
    Handler handler;
    const char* caption;
};

const OptionRow kOptions[] = {
    {&MainControls::Option5, [](Work& w) { w.slaved = true; },
     [](const Work& w) { return w.slaved; }, &Main::Option5_Click, "asservir le doublage"},
    {&MainControls::Option6, [](Work& w) { w.slaved = false; },
     [](const Work& w) { return !w.slaved; }, &Main::Option6_Click, "découpler le doublage"},
    {&MainControls::Option1, [](Work& w) { w.joint = AssemblyJoint::Horizontal; },
     [](const Work& w) { return w.joint == AssemblyJoint::Horizontal; }, &Main::Option1_Click,
     "choisir l'assemblage « Horizontal »"},
    {&MainControls::Option2, [](Work& w) { w.joint = AssemblyJoint::None; },
     [](const Work& w) { return w.joint == AssemblyJoint::None; }, &Main::Option2_Click,
     "choisir l'assemblage « Aucun »"},
    {&MainControls::Option7, [](Work& w) { w.joint = AssemblyJoint::Vertical; },
     [](const Work& w) { return w.joint == AssemblyJoint::Vertical; }, &Main::Option7_Click,
     "choisir l'assemblage « Vertical »"},
    {&MainControls::optProportional, [](Work& w) { w.doublingMode = DoublingMode::Proportional; },
     [](const Work& w) { return w.doublingMode == DoublingMode::Proportional; },
     &Main::DoublingMode_Click, "choisir le doublage « Proportionnel »"},
    {&MainControls::optConstantWidth, [](Work& w) { w.doublingMode = DoublingMode::ConstantWidth; },
     [](const Work& w) { return w.doublingMode == DoublingMode::ConstantWidth; },
     &Main::DoublingMode_Click, "choisir le doublage « Largeur constante »"},
    {&MainControls::Option3, [](Work& w) { w.mouseAction = MouseAction::Former; },
     [](const Work& w) { return w.mouseAction == MouseAction::Former; }, &Main::Option3_Click,
     "choisir l'action « Couple »"},
    {&MainControls::Option4, [](Work& w) { w.mouseAction = MouseAction::Doubling; },
     [](const Work& w) { return w.mouseAction == MouseAction::Doubling; }, &Main::Option4_Click,
     "choisir l'action « Doublage »"},
};

// Runs its action when the mouse is pressed anywhere on the watched widget, before the widget
// itself handles the press.
class PressWatcher final : public QObject {
public:
    PressWatcher(QObject* watched, std::function<void()> action)
        : QObject(watched), action_(std::move(action)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress)
            action_();
        return false;
    }

private:
    std::function<void()> action_;
};

} // namespace

void Main::bindControls() {
    // "On / Off": every change goes into the work; a click by the user runs its handler.
    connect(ui_.Check4, &QCheckBox::toggled, this,
            [this](bool on) { session_.work().doublingOn = on; });
    connect(ui_.Check4, &QCheckBox::clicked, this, [this] { Check4_Click(); });

    for (const OptionRow& row : kOptions) {
        connect(ui_.*row.option, &QAbstractButton::toggled, this, [this, &row](bool on) {
            if (!on)
                return;
            row.choose(session_.work());
            (this->*row.handler)();
        });
    }

    for (const SliderRow& row : kSliders) {
        QSlider* s = ui_.*row.slider;
        s->setRange(row.range.min, row.range.max);
        if (row.press)
            new PressWatcher(s, [this, press = row.press] { (this->*press)(); });
        // Every value the slider takes goes into its setting at once.
        if (row.programChangesRun) {
            connect(s, &QSlider::valueChanged, this, [this, &row](int v) {
                row.field(session_.work()) = v;
                (this->*row.handler)();
            });
            continue;
        }
        // A user action first moves the slider's position and then sets its value: the
        // coming value change is the user's.
        auto pending = std::make_shared<bool>(false);
        connect(s, &QAbstractSlider::actionTriggered, this,
                [s, pending](int) { *pending = s->sliderPosition() != s->value(); });
        connect(s, &QAbstractSlider::valueChanged, this, [this, &row, pending](int v) {
            row.field(session_.work()) = v;
            if (std::exchange(*pending, false))
                (this->*row.handler)();
        });
    }

    connect(ui_.SSTab1, &QTabWidget::currentChanged, this, [this](int index) {
        session_.view().tab = index == 1 ? EditorTab::Masque : EditorTab::Dessin;
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

void Main::showSettings() {
    Work w = session_.work();
    fitPictureSliders(); // "Horiz" and "Vert" can show the work's values
    {
        std::vector<std::unique_ptr<QSignalBlocker>> quiet;
        for (const SliderRow& row : kSliders) {
            quiet.push_back(std::make_unique<QSignalBlocker>(ui_.*row.slider));
            (ui_.*row.slider)->setValue(row.field(w));
        }
        for (const OptionRow& row : kOptions) {
            quiet.push_back(std::make_unique<QSignalBlocker>(ui_.*row.option));
            if (row.chosen(w))
                (ui_.*row.option)->setChecked(true);
        }
        const QSignalBlocker check(ui_.Check4), tabs(ui_.SSTab1);
        ui_.Check4->setChecked(w.doublingOn);
        ui_.SSTab1->setCurrentIndex(session_.view().tab == EditorTab::Masque ? 1 : 0);
    }
    ui_.Text3->setValue(w.sampleCount);
    showPictureBoxes();
    ui_.txtDoublingWidth->setValue(w.doublingWidth);
    showDoublingMode();
    showScale();
    showSelectedPoint();
    ui_.T_EP->setText(QString::number(w.thickness.applied));
    ui_.T_H->setText(QString::number(w.height.applied));
    ui_.T_L->setText(QString::number(w.width.applied));

    // What the mode and doubling handlers would have left enabled and shown.
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
    showToolbarTags();
}

QString Main::undoCaption(const Work& before, const Work& after) const {
    if (before.doublingOn != after.doublingOn)
        return after.doublingOn ? QStringLiteral("mettre le doublage")
                                : QStringLiteral("retirer le doublage");
    for (const OptionRow& row : kOptions)
        if (row.chosen(after) && !row.chosen(before))
            return QString::fromUtf8(row.caption);
    if (before.doublingWidth != after.doublingWidth)
        return QStringLiteral("régler « Largeur (mm) »");
    if (before.realScale != after.realScale || before.calibrated != after.calibrated) {
        if (after.calibrated)
            return QStringLiteral("calibrer le plan");
        if (before.realScale != after.realScale)
            return QStringLiteral("régler l'échelle");
    }
    // A picture chosen also puts "Horiz", "Vert" and "Zoom" back where a new picture starts.
    if (before.picturePath != after.picturePath)
        return QStringLiteral("choisir l'image");
    Work b = before, a = after;
    for (const SliderRow& row : kSliders)
        if (row.field(b) != row.field(a) || (row.derived && row.derived(b) != row.derived(a)))
            return QString::fromUtf8(row.caption);
    return QString::fromStdString(EditorSession::pointCaption(before, after));
}
