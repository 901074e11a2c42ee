#include "cli_actions.h"

#include "couples_cli.h"
#include "state_json.h"

#include "editor/frm_hlp.h"
#include "editor/fuselage_window.h"
#include "editor/notches_dialog.h"
#include "editor/number_box.h"
#include "editor/scripted_editor.h"
#include "editor/status_line.h"
#include "editor/surface_mouse.h"
#include "view3d/frm3d.h"
#include "view3d/frm3d_picture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QUndoStack>

#include <utility>

namespace {

ActionResult ok() {
    return {};
}
ActionResult usage(const QString& why) {
    return {2, why};
}
ActionResult failure(const QString& why) {
    return {1, why};
}

// A whole number written as such: optional sign and digits, nothing else.
bool parseInt(const QString& text, int& value) {
    static const QRegularExpression re(QStringLiteral("^[+-]?[0-9]{1,9}$"));
    if (!re.match(text).hasMatch())
        return false;
    value = text.toInt();
    return true;
}

// A user can operate a control that is enabled and not hidden. The controls of the tab that is
// not shown are hidden until its tab is clicked (tab=).
bool userCanOperate(const QWidget* w, QString& why) {
    if (!w->isEnabled()) {
        why = QStringLiteral("%1 is disabled").arg(w->objectName());
        return false;
    }
    for (const QWidget* p = w; p && !p->isWindow(); p = p->parentWidget()) {
        if (p->isHidden()) {
            why = QStringLiteral("%1 is hidden").arg(w->objectName());
            return false;
        }
    }
    return true;
}

// A value a user can move the slider to: a whole number in its range, on a slider the user
// can operate.
ActionResult sliderValue(const QSlider* s, const QString& value, int& v) {
    if (!parseInt(value, v))
        return usage(QStringLiteral("not a whole number"));
    if (v < s->minimum() || v > s->maximum())
        return usage(
            QStringLiteral("%1 is outside %2..%3").arg(v).arg(s->minimum()).arg(s->maximum()));
    QString why;
    if (!userCanOperate(s, why))
        return usage(why);
    return ok();
}

// Moves a slider as a user drag does: the position moves and the value follows, so the
// handlers that listen to user moves run.
ActionResult moveSlider(QSlider* s, const QString& value) {
    int v = 0;
    if (const ActionResult r = sliderValue(s, value, v); r.status != 0)
        return r;
    s->setSliderDown(true);
    s->setSliderPosition(v);
    s->setSliderDown(false);
    return ok();
}

ActionResult points(ScriptedEditor& w, const QString& value) {
    return moveSlider(w.ui().Hscroll2, value);
}

ActionResult order(ScriptedEditor& w, const QString& value) {
    return moveSlider(w.ui().Hscroll3, value);
}

ActionResult button(ScriptedEditor& w, const QString& value) {
    int index = 0;
    if (!parseInt(value, index))
        return usage(QStringLiteral("not a whole number"));
    QToolButton* b = w.ui().pb1(index);
    if (!b)
        return usage(QStringLiteral("the toolbar has no button %1").arg(index));
    QString why;
    if (!userCanOperate(b, why))
        return usage(why);
    b->click();
    return ok();
}

// Writes an output file of an action (`write` fills it). It is written aside and renamed, so
// a failure leaves any existing file as it was.
template <typename Write> ActionResult writeOutput(const QString& name, Write write) {
    if (name.isEmpty())
        return usage(QStringLiteral("no file name"));
    QSaveFile f(name);
    if (!f.open(QIODevice::WriteOnly) || !write(f) || !f.commit())
        return failure(QStringLiteral("cannot write %1: %2").arg(name, f.errorString()));
    return ok();
}

ActionResult snapshot(ScriptedEditor& w, const QString& value) {
    return writeOutput(value,
                       [&w](QSaveFile& f) { return w.ui().Picture1->grab().save(&f, "PNG"); });
}

ActionResult state(ScriptedEditor& w, const QString& value) {
    return writeOutput(value, [&w](QSaveFile& f) {
        const QByteArray bytes = QJsonDocument(editorState(w)).toJson(QJsonDocument::Indented);
        return f.write(bytes) == bytes.size();
    });
}

// Runs a command that asks for a file name, typing `name` in its dialog and confirming ("" is
// a cancel). A warning the command shows instead of its work is the action's failure.
// Warnings under the title `onlyWarns` do not fail the action: they go to stderr.
template <typename Command>
ActionResult withNameTyped(ScriptedEditor& w, Command command, const QString& name,
                           const QString& onlyWarns = {}) {
    // The dialog opens a folder instead of confirming it.
    if (!name.isEmpty() &&
        (name.endsWith('/') || QFileInfo(QDir::current().absoluteFilePath(name)).isDir()))
        return usage(QStringLiteral("%1 is a folder, not a file name").arg(name));
    QString warning;
    auto answer = std::exchange(w.dialogs.fileName,
                                [&name](const QString&, const QString&, int) { return name; });
    auto sink = std::exchange(w.dialogs.warning, [&](const QString& title, const QString& text) {
        if (!onlyWarns.isEmpty() && title == onlyWarns)
            cliErr() << "couples-cli: avertissement : " << text << "\n";
        else
            warning = text;
    });
    command();
    w.dialogs.fileName = std::move(answer);
    w.dialogs.warning = std::move(sink);
    if (!warning.isEmpty())
        return failure(warning);
    return ok();
}

ActionResult menuWithNameTyped(ScriptedEditor& w, QAction* item, const QString& name,
                               const QString& onlyWarns = {}) {
    if (!item->isEnabled() || !item->isVisible())
        return usage(QStringLiteral("%1 is disabled").arg(item->objectName()));
    return withNameTyped(
        w, [item] { item->trigger(); }, name, onlyWarns);
}

ActionResult save(ScriptedEditor& w, const QString& value) {
    const qsizetype colon = value.indexOf(':');
    if (colon < 0)
        return usage(QStringLiteral("expected PIECE:NAME"));
    const QString piece = value.left(colon);
    const std::pair<const char*, QAction * MainControls::*> items[] = {
        {"gauche", &MainControls::IM_Save_G},
        {"droit", &MainControls::IM_Save_D},
        {"haut", &MainControls::IM_H},
        {"bas", &MainControls::IM_B},
        {"entier", &MainControls::IM_Save_All}};
    for (const auto& [name, item] : items) {
        if (piece == QLatin1String(name))
            return menuWithNameTyped(w, w.ui().*item, value.mid(colon + 1));
    }
    return usage(
        QStringLiteral("unknown piece %1 (gauche, droit, haut, bas or entier)").arg(piece));
}

ActionResult load(ScriptedEditor& w, const QString& value) {
    return menuWithNameTyped(w, w.ui().IM_Load, value);
}

// ---- The background picture ----

ActionResult tab(ScriptedEditor& w, const QString& value) {
    const int index = value == QLatin1String("dessin")   ? 0
                      : value == QLatin1String("masque") ? 1
                                                         : -1;
    if (index < 0)
        return usage(QStringLiteral("expected dessin or masque"));
    QString why;
    if (!userCanOperate(w.ui().SSTab1, why))
        return usage(why);
    w.ui().SSTab1->tabBar()->setCurrentIndex(index);
    return ok();
}

ActionResult picture(ScriptedEditor& w, const QString& value) {
    QToolButton* b = w.ui().pb1(0);
    QString why;
    if (!userCanOperate(b, why))
        return usage(why);
    return withNameTyped(
        w, [b] { b->click(); }, value);
}

ActionResult image(ScriptedEditor& w, const QString& value) {
    if (value != QLatin1String("on") && value != QLatin1String("off"))
        return usage(QStringLiteral("expected on or off"));
    QString why;
    if (!userCanOperate(w.ui().Command4, why))
        return usage(why);
    if (w.pictureOn() == (value == QLatin1String("on")))
        return ok();
    QString warning;
    auto sink = std::exchange(w.dialogs.warning,
                              [&warning](const QString&, const QString& text) { warning = text; });
    w.ui().Command4->click();
    w.dialogs.warning = std::move(sink);
    return warning.isEmpty() ? ok() : failure(warning);
}

ActionResult horiz(ScriptedEditor& w, const QString& value) {
    return moveSlider(w.ui().Slider4, value);
}

ActionResult vert(ScriptedEditor& w, const QString& value) {
    return moveSlider(w.ui().Slider6, value);
}

ActionResult zoom(ScriptedEditor& w, const QString& value) {
    return moveSlider(w.ui().Slider5, value);
}

// One word a POSIX shell reads back as it is.
QString shellQuoted(const QString& word) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_@%+=:,./-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    QString quoted = word;
    quoted.replace('\'', QLatin1String("'\\''"));
    return '\'' + quoted + '\'';
}

// Prints what the editor would start; nothing is started.
ActionResult mspaint(ScriptedEditor& w, const QString& value) {
    if (value != QLatin1String("1"))
        return usage(QStringLiteral("expected 1"));
    if (!w.ui().IM_BACKCOLOR->isEnabled())
        return usage(QStringLiteral("IM_BACKCOLOR is disabled"));
    QStringList line;
    auto launcher = std::exchange(w.dialogs.program,
                                  [&line](const QString& program, const QStringList& arguments) {
                                      line << shellQuoted(program);
                                      for (const QString& a : arguments)
                                          line << shellQuoted(a);
                                      return true;
                                  });
    // No program at all is told in the line, not as a failure.
    auto sink = std::exchange(w.dialogs.warning, [](const QString&, const QString&) {});
    w.ui().IM_BACKCOLOR->trigger();
    w.dialogs.program = std::move(launcher);
    w.dialogs.warning = std::move(sink);
    cliOut() << "mspaint: " << (line.isEmpty() ? QStringLiteral("none") : line.join(' ')) << "\n";
    return ok();
}

// "&Outils" › "Exporter en ..." of FORMAT: chooses PIECE in the size dialog, types the size
// when one is given ("-" leaves that side to follow the other), chooses the sheet (PDF), confirms,
// then types NAME.
ActionResult exportPiece(ScriptedEditor& w, const QString& value) {
    // NAME holds no ':', so whatever follows it is a size or a sheet, never part of a file name.
    QStringList parts = value.split(':');
    PieceSizeChoice choice;
    if (parts.size() > 3 && parts.front() == QLatin1String("dxf") &&
        parts.back() == QLatin1String("r12")) {
        choice.dxf = DxfVersion::R12;
        parts.removeLast();
    }
    if (parts.size() < 3 || parts.size() > 5)
        return usage(QStringLiteral("expected FORMAT:PIECE:NAME[:WxH[:PAGE]]"));
    const std::pair<const char*, QAction * MainControls::*> formats[] = {
        {"svg", &MainControls::IM_Export_SVG},
        {"dxf", &MainControls::IM_Export_DXF},
        {"pdf", &MainControls::IM_Export_PDF}};
    QAction* item = nullptr;
    for (const auto& [name, action] : formats) {
        if (parts[0] == QLatin1String(name))
            item = w.ui().*action;
    }
    if (!item)
        return usage(QStringLiteral("unknown format %1 (svg, dxf or pdf)").arg(parts[0]));
    const std::pair<const char*, int> pieces[] = {
        {"gauche", 3}, {"droit", 4}, {"haut", 2}, {"bas", 1}, {"entier", 5}};
    choice.Piece = 0;
    for (const auto& [name, code] : pieces) {
        if (parts[1] == QLatin1String(name))
            choice.Piece = code;
    }
    if (choice.Piece == 0)
        return usage(
            QStringLiteral("unknown piece %1 (gauche, droit, haut, bas or entier)").arg(parts[1]));
    if (parts.size() > 3) {
        // Each side as the dialog's box reads it: "," or ".", "-" to follow the other side.
        const QStringList sides = parts[3].split('x');
        if (sides.size() != 2)
            return usage(QStringLiteral("%1 is no size WxH in millimetres").arg(parts[3]));
        constexpr DecimalRule kSide{0.01, 10000.0, false}; // what the dialog's boxes accept
        for (const auto& [text, typed] :
             {std::pair{sides[0], &choice.width}, std::pair{sides[1], &choice.height}}) {
            if (text == QLatin1String("-"))
                continue;
            const DecimalReading r = readDecimal(text.toStdString(), kSide);
            if (!r.ok())
                return usage(QString::fromStdString(r.reason));
            *typed = *r.value;
        }
    }
    if (parts.size() > 4) {
        const std::pair<const char*, Sheet> sheets[] = {{"a4", Sheet::A4Portrait},
                                                        {"a4-paysage", Sheet::A4Landscape},
                                                        {"a3", Sheet::A3Portrait},
                                                        {"a3-paysage", Sheet::A3Landscape}};
        bool known = false;
        for (const auto& [name, sheet] : sheets) {
            if (parts[4] == QLatin1String(name)) {
                choice.page = sheet;
                known = true;
            }
        }
        if (!known)
            return usage(
                QStringLiteral("unknown page %1 (a4, a4-paysage, a3 or a3-paysage)").arg(parts[4]));
        if (parts[0] != QLatin1String("pdf"))
            return usage(QStringLiteral("a page is chosen for pdf only"));
    }
    auto answer = std::exchange(w.dialogs.pieceSize, [&choice] { return choice; });
    const ActionResult r = menuWithNameTyped(w, item, parts[2]);
    w.dialogs.pieceSize = std::move(answer);
    return r;
}

ActionResult projectSave(ScriptedEditor& w, const QString& value) {
    return menuWithNameTyped(w, w.ui().IM_Couple_SaveAs, value);
}

// A script that opens a project sets the unsaved work aside, as "Ne pas enregistrer" does. A
// refused project fails the action; a project opened whose picture cannot be shown is only
// warned about, on stderr, as the window warns and shows the work all the same.
ActionResult projectOpen(ScriptedEditor& w, const QString& value) {
    auto answer =
        std::exchange(w.dialogs.saveChanges, [](const QString&) { return SaveAnswer::Discard; });
    const ActionResult result =
        menuWithNameTyped(w, w.ui().IM_Couple_Open, value, QStringLiteral("Fichiers images"));
    w.dialogs.saveChanges = std::move(answer);
    return result;
}

// "&Edition" › "&Annuler" or "&Rétablir" N times, as far as there are steps.
ActionResult undoSteps(QAction* item, int available, const QString& value) {
    int n = 0;
    if (!parseInt(value, n) || n < 0)
        return usage(QStringLiteral("not a whole number of steps"));
    if (n > available)
        return usage(QStringLiteral("only %1 steps to take").arg(available));
    for (int i = 0; i < n; ++i)
        item->trigger();
    return ok();
}

ActionResult undo(ScriptedEditor& w, const QString& value) {
    return undoSteps(w.ui().IM_Undo, w.session().history().index(), value);
}

ActionResult redo(ScriptedEditor& w, const QString& value) {
    return undoSteps(w.ui().IM_Redo, w.session().history().count() - w.session().history().index(),
                     value);
}

// ---- Doubling, modes and the mouse on the drawing surface ----

// Clicks an option button, or the check box, as the user does.
ActionResult clickButton(QAbstractButton* b) {
    QString why;
    if (!userCanOperate(b, why))
        return usage(why);
    b->click();
    return ok();
}

// ---------------------------------------------------------------------------------------
// The 3-D window and the dimension sliders

// The 3-D window's controls can be operated only while it is on screen.
bool frm3DOperable(const ScriptedEditor& w, const QWidget* control, QString& why) {
    if (!w.frm3D() || !w.frm3D()->isVisible()) {
        why = QStringLiteral("the window \"Assemblage\" is hidden");
        return false;
    }
    return userCanOperate(control, why);
}

ActionResult clickFrm3DButton(ScriptedEditor& w, const QString& value,
                              QToolButton* (Frm3D::*find)(int) const) {
    int index = 0;
    if (!parseInt(value, index))
        return usage(QStringLiteral("not a whole number"));
    QToolButton* b = w.frm3D() ? (w.frm3D()->*find)(index) : nullptr;
    if (!b)
        return usage(QStringLiteral("the window \"Assemblage\" has no such button %1").arg(index));
    QString why;
    if (!frm3DOperable(w, b, why))
        return usage(why);
    b->click();
    return ok();
}

// VALUE is one of the keys; the matching button is clicked.
ActionResult chooseOption(const QString& value,
                          std::initializer_list<std::pair<const char*, QAbstractButton*>> keys) {
    QStringList names;
    for (const auto& [key, b] : keys) {
        if (value == QLatin1String(key))
            return clickButton(b);
        names << QLatin1String(key);
    }
    return usage(QStringLiteral("expected one of %1").arg(names.join(QStringLiteral(", "))));
}

ActionResult doubling(ScriptedEditor& w, const QString& value) {
    if (value != QLatin1String("on") && value != QLatin1String("off"))
        return usage(QStringLiteral("expected on or off"));
    if (w.ui().Check4->isChecked() == (value == QLatin1String("on")))
        return ok();
    return clickButton(w.ui().Check4);
}

ActionResult thickness(ScriptedEditor& w, const QString& value) {
    return moveSlider(w.ui().Hscroll1, value);
}

ActionResult assembly(ScriptedEditor& w, const QString& value) {
    return chooseOption(
        value,
        {{"aucun", w.ui().Option2}, {"horizontal", w.ui().Option1}, {"vertical", w.ui().Option7}});
}

ActionResult action(ScriptedEditor& w, const QString& value) {
    return chooseOption(value, {{"couple", w.ui().Option3}, {"doublage", w.ui().Option4}});
}

ActionResult slaved(ScriptedEditor& w, const QString& value) {
    return chooseOption(value, {{"oui", w.ui().Option5}, {"non", w.ui().Option6}});
}

// "Extrémités sur l'axe", clicked when its state differs.
ActionResult endsOnAxis(ScriptedEditor& w, const QString& value) {
    if (value != QLatin1String("1") && value != QLatin1String("0"))
        return usage(QStringLiteral("expected 1 or 0"));
    QString why;
    if (!userCanOperate(w.ui().chkEndsOnAxis, why))
        return usage(why);
    if (w.ui().chkEndsOnAxis->isChecked() != (value == QLatin1String("1")))
        w.ui().chkEndsOnAxis->click();
    return ok();
}

// Millimetres as typed: a decimal number with a point, bounded so that it stays a finite
// pointer position in single precision.
bool parseMm(const QString& text, double& value) {
    static const QRegularExpression re(
        QStringLiteral("^[+-]?(?:[0-9]{1,7}(?:\\.[0-9]*)?|\\.[0-9]+)$"));
    if (!re.match(text).hasMatch())
        return false;
    value = text.toDouble();
    return true;
}

bool parsePoint(const QString& text, QPointF& mm) {
    const QStringList xy = text.split(',');
    double x = 0.0;
    double y = 0.0;
    if (xy.size() != 2 || !parseMm(xy[0], x) || !parseMm(xy[1], y))
        return false;
    mm = QPointF(x, y);
    return true;
}

bool parseButton(const QString& text, Qt::MouseButton& button) {
    static const std::pair<const char*, Qt::MouseButton> names[] = {{"left", Qt::LeftButton},
                                                                    {"right", Qt::RightButton},
                                                                    {"middle", Qt::MiddleButton},
                                                                    {"none", Qt::NoButton}};
    for (const auto& [name, b] : names) {
        if (text == QLatin1String(name)) {
            button = b;
            return true;
        }
    }
    return false;
}

// A press lands on the surface only where the surface shows the drawing (all of it unless
// the view is zoomed).
bool onSurface(const ScriptedEditor& w, QPointF mm) {
    const QRectF shown = w.ui().Picture1->visibleMm();
    return mm.x() >= shown.left() && mm.y() >= shown.top() && mm.x() <= shown.right() &&
           mm.y() <= shown.bottom();
}

// X,Y:B of press=, move= and release=.
ActionResult mouseEvent(ScriptedEditor& w, const QString& value, QEvent::Type type) {
    const qsizetype colon = value.lastIndexOf(':');
    QPointF mm;
    Qt::MouseButton button = Qt::NoButton;
    if (colon < 0 || !parsePoint(value.left(colon), mm) ||
        !parseButton(value.mid(colon + 1), button))
        return usage(QStringLiteral("expected X,Y:B with B left, right, middle or none"));
    QString why;
    if (!userCanOperate(w.ui().Picture1, why))
        return usage(why);
    if (type == QEvent::MouseMove) {
        // A move without a button held reaches the surface only over it; with one held the
        // surface keeps the mouse wherever it goes.
        if (button == Qt::NoButton && !onSurface(w, mm))
            return usage(QStringLiteral("the pointer is outside the drawing surface"));
        sendSurfaceMouse(*w.ui().Picture1, type, mm, Qt::NoButton, button);
        return ok();
    }
    if (button == Qt::NoButton)
        return usage(type == QEvent::MouseButtonPress ? QStringLiteral("a press needs a button")
                                                      : QStringLiteral("a release needs a button"));
    if (type == QEvent::MouseButtonPress) {
        if (!onSurface(w, mm))
            return usage(QStringLiteral("the pointer is outside the drawing surface"));
        sendSurfaceMouse(*w.ui().Picture1, type, mm, button, button);
    } else {
        sendSurfaceMouse(*w.ui().Picture1, type, mm, button, Qt::NoButton);
    }
    return ok();
}

ActionResult press(ScriptedEditor& w, const QString& value) {
    return mouseEvent(w, value, QEvent::MouseButtonPress);
}

ActionResult move(ScriptedEditor& w, const QString& value) {
    return mouseEvent(w, value, QEvent::MouseMove);
}

ActionResult release(ScriptedEditor& w, const QString& value) {
    return mouseEvent(w, value, QEvent::MouseButtonRelease);
}

// The centre of handle I of the set that "Action Souris" chooses, where a press picks it.
ActionResult handleCentre(ScriptedEditor& w, const QString& text, QPointF& mm) {
    int index = 0;
    const FormerModel& m = w.model();
    if (!parseInt(text, index) || index < 0 || index > m.Der_Point)
        return usage(QStringLiteral("expected a handle index 0..%1").arg(m.Der_Point));
    const std::vector<Handle>& set = w.ui().Option3->isChecked() ? m.shppi : m.Shape1;
    const Handle& h = set.at(static_cast<std::size_t>(index));
    mm = QPointF(h.Left + static_cast<double>(m.Rayon_X), h.Top - static_cast<double>(m.Rayon_Y));
    QString why;
    if (!userCanOperate(w.ui().Picture1, why))
        return usage(why);
    if (!onSurface(w, mm))
        return usage(QStringLiteral("handle %1 lies outside the drawing surface").arg(index));
    return ok();
}

ActionResult drag(ScriptedEditor& w, const QString& value) {
    const qsizetype colon = value.indexOf(':');
    QPointF to;
    if (colon < 0 || !parsePoint(value.mid(colon + 1), to))
        return usage(QStringLiteral("expected I:X,Y"));
    QPointF from;
    if (const ActionResult r = handleCentre(w, value.left(colon), from); r.status != 0)
        return r;
    PictureBox& p = *w.ui().Picture1;
    sendSurfaceMouse(p, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    settleEvents();
    sendSurfaceMouse(p, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    settleEvents();
    sendSurfaceMouse(p, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    return ok();
}

ActionResult pin(ScriptedEditor& w, const QString& value) {
    QPointF at;
    if (const ActionResult r = handleCentre(w, value, at); r.status != 0)
        return r;
    PictureBox& p = *w.ui().Picture1;
    sendSurfaceMouse(p, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    settleEvents();
    sendSurfaceMouse(p, QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
    return ok();
}

// Types TEXT in a number box of the window and presses Enter, as a user does; a text the box
// refuses is bad usage, with the box's own message.
ActionResult typeInBox(NumberBox* box, const QString& text) {
    QString why;
    if (!userCanOperate(box, why))
        return usage(why);
    QString refusal;
    const QMetaObject::Connection c =
        QObject::connect(box, &NumberBox::refused, [&refusal](const QString& m) { refusal = m; });
    box->setFocus();
    box->selectAll();
    // Each character as the keyboard gives it, then Enter.
    auto key = [box](int code, const QString& typed) {
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent e(type, code, Qt::NoModifier, typed);
            QApplication::sendEvent(box, &e);
        }
    };
    for (const QChar c : text)
        key(0, QString(c));
    if (text.isEmpty())
        key(Qt::Key_Delete, QString()); // the text selected goes: an empty box
    key(Qt::Key_Return, QStringLiteral("\r"));
    QObject::disconnect(c);
    if (!refusal.isEmpty())
        return usage(refusal);
    return ok();
}

ActionResult doublingMode(ScriptedEditor& w, const QString& value) {
    return chooseOption(
        value, {{"proportionnel", w.ui().optProportional}, {"constante", w.ui().optConstantWidth}});
}

ActionResult doublingWidth(ScriptedEditor& w, const QString& value) {
    return typeInBox(w.ui().txtDoublingWidth, value);
}

ActionResult text3(ScriptedEditor& w, const QString& value) {
    return typeInBox(w.ui().Text3, value);
}

ActionResult scale(ScriptedEditor& w, const QString& value) {
    return typeInBox(w.ui().txtScale, value);
}

// Presses and releases the left button on handle I of the set "Action Souris" chooses, then
// types its real coordinates in the status bar's boxes.
ActionResult point(ScriptedEditor& w, const QString& value) {
    const qsizetype colon = value.indexOf(':');
    const QStringList xy = value.mid(colon + 1).split(',');
    if (colon < 0 || xy.size() != 2)
        return usage(QStringLiteral("expected I:X,Y"));
    QPointF at;
    if (const ActionResult r = handleCentre(w, value.left(colon), at); r.status != 0)
        return r;
    PictureBox& p = *w.ui().Picture1;
    sendSurfaceMouse(p, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    settleEvents();
    sendSurfaceMouse(p, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    settleEvents();
    if (const ActionResult r = typeInBox(w.ui().txtPointX, xy[0]); r.status != 0)
        return r;
    return typeInBox(w.ui().txtPointY, xy[1]);
}

// "&Outils" › "&Calibrer le plan...", a click on each of the two points (surface millimetres),
// and the real distance typed.
ActionResult calibrate(ScriptedEditor& w, const QString& value) {
    const QStringList parts = value.split(':');
    QPointF a, b;
    if (parts.size() != 3 || !parsePoint(parts[0], a) || !parsePoint(parts[1], b))
        return usage(QStringLiteral("expected X1,Y1:X2,Y2:MM"));
    const DecimalReading mm = readDecimal(parts[2].toStdString(), DecimalRule{0.01, 100000.0});
    if (!mm.ok())
        return usage(QString::fromStdString(mm.reason));
    if (!w.ui().IM_Calibrate->isEnabled())
        return usage(QStringLiteral("IM_Calibrate is disabled (no picture shown)"));
    if (!onSurface(w, a) || !onSurface(w, b))
        return usage(QStringLiteral("the pointer is outside the drawing surface"));
    w.ui().IM_Calibrate->trigger();
    auto answer = std::exchange(w.dialogs.number, [&mm](const QString&) { return mm.value; });
    PictureBox& p = *w.ui().Picture1;
    for (const QPointF& at : {a, b}) {
        sendSurfaceMouse(p, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
        sendSurfaceMouse(p, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        sendSurfaceMouse(p, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        settleEvents();
    }
    w.dialogs.number = std::move(answer);
    if (!w.session().work().calibrated)
        return failure(w.statusPassing());
    return ok();
}

ActionResult view(ScriptedEditor& w, const QString& value) {
    return clickFrm3DButton(w, value, &Frm3D::pb2);
}

// ---- The drawing's own view ("Loupe") ----

// F@X,Y: the wheel turned over the surface point X,Y until the view is F times the whole
// surface; that point stays under the pointer.
ActionResult viewZoom(ScriptedEditor& w, const QString& value) {
    const qsizetype at = value.indexOf('@');
    QPointF mm;
    if (at < 0 || !parsePoint(value.mid(at + 1), mm))
        return usage(QStringLiteral("expected F@X,Y"));
    const DecimalReading f =
        readDecimal(value.left(at).toStdString(), DecimalRule{1.0, PictureBox::kMaxZoom});
    if (!f.ok())
        return usage(QString::fromStdString(f.reason));
    QString why;
    if (!userCanOperate(w.ui().Picture1, why))
        return usage(why);
    if (!onSurface(w, mm))
        return usage(QStringLiteral("the pointer is outside the drawing surface"));
    w.ui().Picture1->zoomAbout(*f.value, mm);
    return ok();
}

// DX,DY: the drawing dragged by that many of its millimetres (the middle button held).
ActionResult viewPan(ScriptedEditor& w, const QString& value) {
    QPointF by;
    if (!parsePoint(value, by))
        return usage(QStringLiteral("expected DX,DY in millimetres"));
    QString why;
    if (!userCanOperate(w.ui().Picture1, why))
        return usage(why);
    w.ui().Picture1->panBy(by);
    return ok();
}

ActionResult viewFit(ScriptedEditor& w, const QString& value) {
    if (value != QLatin1String("1"))
        return usage(QStringLiteral("expected 1"));
    QString why;
    if (!userCanOperate(w.ui().cmdFit, why))
        return usage(why);
    w.ui().cmdFit->click();
    return ok();
}

ActionResult mode(ScriptedEditor& w, const QString& value) {
    // The render modes only: pb1(6) shows the fuselage, which is no mode.
    int index = 0;
    if (parseInt(value, index) && (index < 1 || index > 5))
        return usage(QStringLiteral("the view buttons are 1..5"));
    return clickFrm3DButton(w, value, &Frm3D::pb1);
}

void sendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held,
                  Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

// The pointer comes to the middle of the surface, the button goes down there, the pointer
// moves by DX, DY with the button held, and the button comes up.
ActionResult orbit(ScriptedEditor& w, const QString& value) {
    static const QRegularExpression re(
        QStringLiteral("^([+-]?[0-9]{1,6}),([+-]?[0-9]{1,6}):(left|right|middle|none)$"));
    const QRegularExpressionMatch m = re.match(value);
    if (!m.hasMatch())
        return usage(QStringLiteral("expected DX,DY:B with B left, right, middle or none"));
    QString why;
    if (!w.frm3D() || !frm3DOperable(w, w.frm3D()->Picture1, why))
        return usage(why);
    const QPoint delta(m.captured(1).toInt(), m.captured(2).toInt());
    const QString name = m.captured(3);
    const Qt::MouseButton button = name == "left"     ? Qt::LeftButton
                                   : name == "right"  ? Qt::RightButton
                                   : name == "middle" ? Qt::MiddleButton
                                                      : Qt::NoButton;
    QWidget* surface = w.frm3D()->Picture1;
    const QPoint start = surface->rect().center();
    const QPoint end = start + delta;
    sendMouse(surface, QEvent::MouseMove, start, Qt::NoButton, Qt::NoButton);
    if (button != Qt::NoButton)
        sendMouse(surface, QEvent::MouseButtonPress, start, button, button);
    sendMouse(surface, QEvent::MouseMove, end, Qt::NoButton, button);
    if (button != Qt::NoButton)
        sendMouse(surface, QEvent::MouseButtonRelease, end, button, Qt::NoButton);
    return ok();
}

ActionResult size3d(ScriptedEditor& w, const QString& value) {
    static const QRegularExpression re(QStringLiteral("^([0-9]{1,5})x([0-9]{1,5})$"));
    const QRegularExpressionMatch m = re.match(value);
    constexpr int kMaxPixels = 4096;
    if (!m.hasMatch())
        return usage(QStringLiteral("expected WxH in pixels"));
    const QSize size(m.captured(1).toInt(), m.captured(2).toInt());
    if (size.width() < 1 || size.height() < 1 || size.width() > kMaxPixels ||
        size.height() > kMaxPixels)
        return usage(QStringLiteral("each side must be 1..%1 pixels").arg(kMaxPixels));
    QString why;
    if (!w.frm3D() || !frm3DOperable(w, w.frm3D(), why))
        return usage(why);
    // The surface fills the window's inner area.
    w.frm3D()->resize(size);
    settleEvents();
    if (w.frm3D()->Picture1->size() != size)
        return failure(QStringLiteral("the surface measures %1x%2")
                           .arg(w.frm3D()->Picture1->width())
                           .arg(w.frm3D()->Picture1->height()));
    return ok();
}

ActionResult render3d(ScriptedEditor& w, const QString& value) {
    return writeOutput(value, [&w](QSaveFile& f) {
        w.frm3D()->drawPendingFrame();
        return w.frm3D()->Picture1->image().save(&f, "PNG");
    });
}

// Presses on the slider's handle, drags it to the value and lets go, as a user does.
ActionResult pressAndMoveSlider(QSlider* s, const QString& value) {
    int v = 0;
    if (const ActionResult r = sliderValue(s, value, v); r.status != 0)
        return r;
    sendMouse(s, QEvent::MouseButtonPress, sliderHandleCentre(*s), Qt::LeftButton, Qt::LeftButton);
    s->setSliderPosition(v);
    sendMouse(s, QEvent::MouseButtonRelease, sliderHandleCentre(*s), Qt::LeftButton, Qt::NoButton);
    if (s->value() != v)
        return failure(QStringLiteral("%1 stopped at %2").arg(s->objectName()).arg(s->value()));
    return ok();
}

ActionResult ep(ScriptedEditor& w, const QString& value) {
    return pressAndMoveSlider(w.ui().Slider1, value);
}

ActionResult haut(ScriptedEditor& w, const QString& value) {
    return pressAndMoveSlider(w.ui().Slider2, value);
}

ActionResult larg(ScriptedEditor& w, const QString& value) {
    return pressAndMoveSlider(w.ui().Slider3, value);
}

// ---------------------------------------------------------------------------------------
// The editor window as a whole

// Resizes the editor window to W by H pixels, frame included, as a user dragging its border
// does: it stops at its minimum size, and the resize handler runs.
ActionResult resize(ScriptedEditor& w, const QString& value) {
    static const QRegularExpression re(QStringLiteral("^([0-9]{1,5})x([0-9]{1,5})$"));
    const QRegularExpressionMatch m = re.match(value);
    constexpr int kMaxPixels = 8192; // twice a 4K screen
    if (!m.hasMatch())
        return usage(QStringLiteral("expected WxH in pixels"));
    const QSize outer(m.captured(1).toInt(), m.captured(2).toInt());
    if (outer.width() < 1 || outer.height() < 1 || outer.width() > kMaxPixels ||
        outer.height() > kMaxPixels)
        return usage(QStringLiteral("each side must be 1..%1 pixels").arg(kMaxPixels));
    const QSize frame = w.frameGeometry().size() - w.size();
    w.resize(outer - frame);
    return ok();
}

ActionResult window(ScriptedEditor& w, const QString& value) {
    return writeOutput(value, [&w](QSaveFile& f) { return w.grab().save(&f, "PNG"); });
}

// Opens "&A propos" as a user does, writes the about window's picture once it shows, and
// closes it with "&OK".
ActionResult about(ScriptedEditor& w, const QString& value) {
    if (value.isEmpty())
        return usage(QStringLiteral("no file name"));
    if (!w.ui().IM_ABOUT->isEnabled() || !w.ui().IM_ABOUT->isVisible())
        return usage(QStringLiteral("IM_ABOUT is disabled"));
    ActionResult result = failure(QStringLiteral("the about window did not open"));
    // Runs inside the window's modal loop; dropped with the guard if the window never opens.
    QObject guard;
    QMetaObject::invokeMethod(
        &guard,
        [&w, &value, &result] {
            if (!w.aboutWindow())
                return;
            result = writeOutput(
                value, [&w](QSaveFile& f) { return w.aboutWindow()->grab().save(&f, "PNG"); });
            w.aboutWindow()->Command1->click();
        },
        Qt::QueuedConnection);
    w.ui().IM_ABOUT->trigger();
    return result;
}

// ---------------------------------------------------------------------------------------
// The formers of the fuselage: the panel "Couples" and "Exporter tous les couples..."

// The row of the former called `name` in the panel, -1 when there is none.
int formerRow(ScriptedEditor& w, const QString& name) {
    const auto& formers = w.session().formers();
    for (std::size_t i = 0; i < formers.size(); ++i) {
        if (QString::fromStdString(formers[i]->name) == name)
            return static_cast<int>(i);
    }
    return -1;
}

ActionResult noFormer(const QString& name) {
    return usage(QStringLiteral("the project has no former %1").arg(name));
}

// Clicks the row of the former `name`, which becomes the one edited.
ActionResult selectFormerRow(ScriptedEditor& w, const QString& name) {
    const int row = formerRow(w, name);
    if (row < 0)
        return noFormer(name);
    QString why;
    if (!userCanOperate(w.ui().lstCouples, why))
        return usage(why);
    w.ui().lstCouples->setCurrentCell(row, 0);
    settleEvents();
    return ok();
}

// Runs a command of the panel; a warning it shows, or a refusal it tells in the status bar
// while the project stays as it was, is the action's failure.
template <typename Command> ActionResult panelCommand(ScriptedEditor& w, Command command) {
    QString warning;
    auto sink = std::exchange(w.dialogs.warning,
                              [&warning](const QString&, const QString& text) { warning = text; });
    // What the panel shows: a refusal leaves it as it was. (The history's counts would not
    // tell: at its limit, a new step drops the oldest.)
    auto list = [&w] {
        std::vector<std::pair<std::string, double>> rows;
        for (const auto& f : w.session().formers())
            rows.emplace_back(f->name, f->station);
        return std::pair{rows, w.session().current()};
    };
    const auto before = list();
    w.statusLine().clearMessage();
    const ActionResult r = command();
    settleEvents();
    w.dialogs.warning = std::move(sink);
    if (r.status != 0)
        return r;
    if (!warning.isEmpty())
        return failure(warning);
    // A message about what is shown now (the doubling of the former shown next, say) is no
    // failure of the action.
    if (before == list() && !w.statusPassing().isEmpty())
        return failure(w.statusPassing());
    return ok();
}

// The station cell of a former's row, typed and confirmed as the user does.
ActionResult typeStation(ScriptedEditor& w, int row, const QString& text) {
    QTableWidgetItem* cell = w.ui().lstCouples->item(row, 1);
    if (!cell)
        return failure(QStringLiteral("no station cell"));
    return panelCommand(w, [&] {
        cell->setText(text);
        return ok();
    });
}

// The name a panel action's value gives before its last ':', and what follows it.
bool splitLast(const QString& value, QString& name, QString& rest) {
    const qsizetype colon = value.lastIndexOf(':');
    if (colon <= 0)
        return false;
    name = value.left(colon);
    rest = value.mid(colon + 1);
    return true;
}

ActionResult stationValue(const QString& text) {
    const DecimalReading r =
        readDecimal(text.toStdString(), DecimalRule{-kMaxStation, kMaxStation, true});
    return r.ok() ? ok() : usage(QString::fromStdString(r.reason));
}

// "Nouveau", then the new former renamed NAME and placed at STATION when they differ from
// what it was given.
ActionResult formerNew(ScriptedEditor& w, const QString& value) {
    QString name, station;
    if (!splitLast(value, name, station))
        return usage(QStringLiteral("expected NAME:STATION"));
    if (const ActionResult r = stationValue(station); r.status != 0)
        return r;
    if (formerRow(w, name) >= 0)
        return usage(QStringLiteral("the project has a former %1 already").arg(name));
    if (const ActionResult r = panelCommand(w, [&] { return clickButton(w.ui().cmdNouveau); });
        r.status != 0)
        return r;
    const int row = w.session().current();
    if (QString::fromStdString(w.session().formers()[std::size_t(row)]->name) != name) {
        auto answer = std::exchange(w.dialogs.text, [&name](const QString&) { return name; });
        const ActionResult r = panelCommand(w, [&] { return clickButton(w.ui().cmdRenommer); });
        w.dialogs.text = std::move(answer);
        if (r.status != 0)
            return r;
    }
    const double mm = *readDecimal(station.toStdString(), {-kMaxStation, kMaxStation, true}).value;
    if (w.session().formers()[std::size_t(row)]->station == mm)
        return ok();
    return typeStation(w, row, station);
}

ActionResult formerDuplicate(ScriptedEditor& w, const QString& value) {
    if (const ActionResult r = selectFormerRow(w, value); r.status != 0)
        return r;
    return panelCommand(w, [&] { return clickButton(w.ui().cmdDupliquer); });
}

ActionResult formerSelect(ScriptedEditor& w, const QString& value) {
    return selectFormerRow(w, value);
}

ActionResult formerRename(ScriptedEditor& w, const QString& value) {
    const qsizetype colon = value.indexOf(':');
    if (colon <= 0)
        return usage(QStringLiteral("expected OLD:NEW"));
    const QString name = value.mid(colon + 1);
    if (const ActionResult r = selectFormerRow(w, value.left(colon)); r.status != 0)
        return r;
    auto answer = std::exchange(w.dialogs.text, [&name](const QString&) { return name; });
    const ActionResult r = panelCommand(w, [&] { return clickButton(w.ui().cmdRenommer); });
    w.dialogs.text = std::move(answer);
    return r;
}

ActionResult formerDelete(ScriptedEditor& w, const QString& value) {
    if (const ActionResult r = selectFormerRow(w, value); r.status != 0)
        return r;
    return panelCommand(w, [&] { return clickButton(w.ui().cmdSupprimer); });
}

ActionResult formerStation(ScriptedEditor& w, const QString& value) {
    QString name, station;
    if (!splitLast(value, name, station))
        return usage(QStringLiteral("expected NAME:MM"));
    if (const ActionResult r = stationValue(station); r.status != 0)
        return r;
    const int row = formerRow(w, name);
    if (row < 0)
        return noFormer(name);
    return typeStation(w, row, station);
}

// "Vue Fuselage" of the 3-D window, clicked when its state differs.
ActionResult fuselage(ScriptedEditor& w, const QString& value) {
    if (value != QLatin1String("1") && value != QLatin1String("0"))
        return usage(QStringLiteral("expected 1 or 0"));
    QToolButton* b = w.frm3D() ? w.frm3D()->pb1(6) : nullptr;
    if (!b)
        return usage(QStringLiteral("the window \"Assemblage\" has no button 6"));
    QString why;
    if (!frm3DOperable(w, b, why))
        return usage(why);
    if (b->isChecked() != (value == QLatin1String("1")))
        b->click();
    return ok();
}

// ---------------------------------------------------------------------------------------
// The window "Fuselage": its boxes, buttons and drawings, as the user operates them

using PlanView = EditorSession::PlanView;

// The window open, for the actions that operate its controls.
ActionResult fuselageOpen(ScriptedEditor& w, FuselageWindow*& window) {
    window = w.fuselageWindow();
    if (!window || !window->isVisible())
        return usage(QStringLiteral("the window \"Fuselage\" is not open (fuselage-window=1)"));
    return ok();
}

// "&Outils" › "&Fuselage..." opens it; its close box closes it.
ActionResult fuselageWindow(ScriptedEditor& w, const QString& value) {
    if (value != QLatin1String("1") && value != QLatin1String("0"))
        return usage(QStringLiteral("expected 1 or 0"));
    FuselageWindow* window = w.fuselageWindow();
    const bool open = window && window->isVisible();
    if (value == QLatin1String("1") && !open) {
        if (!w.ui().IM_Fuselage->isEnabled())
            return usage(QStringLiteral("IM_Fuselage is disabled"));
        w.ui().IM_Fuselage->trigger();
    } else if (value == QLatin1String("0") && open) {
        window->close();
    }
    return ok();
}

// The curve's points typed in its box and confirmed with Enter; points the window refuses are
// bad usage, named by the reason, and change nothing.
ActionResult typeCurve(ScriptedEditor& w, CurveKind kind, const QString& points) {
    FuselageWindow* window = nullptr;
    if (const ActionResult r = fuselageOpen(w, window); r.status != 0)
        return r;
    const CurvePointsReading reading = ReadCurvePoints(kind, points.toStdString());
    if (!reading.ok())
        return usage(QString::fromStdString(reading.reason));
    QLineEdit* box = window->pointsBox(kind);
    box->setFocus();
    box->setText(points);
    box->setModified(true);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    settleEvents();
    if (w.session().fuselageWork().curves.curve(kind) != reading.points)
        return failure(w.statusText());
    return ok();
}

ActionResult side(ScriptedEditor& w, const QString& value) {
    const qsizetype colon = value.indexOf(':');
    const QString curve = value.left(colon);
    if (colon < 0 || (curve != QLatin1String("dos") && curve != QLatin1String("ventre")))
        return usage(QStringLiteral("expected dos:S1,H1;S2,H2;... or ventre:..."));
    return typeCurve(w, curve == QLatin1String("dos") ? CurveKind::Dos : CurveKind::Ventre,
                     value.mid(colon + 1));
}

ActionResult top(ScriptedEditor& w, const QString& value) {
    return typeCurve(w, CurveKind::Flanc, value);
}

// The check box "Suit" of the former's row, clicked when its state differs.
ActionResult formerFollow(ScriptedEditor& w, const QString& value) {
    QString name, state;
    if (!splitLast(value, name, state) ||
        (state != QLatin1String("1") && state != QLatin1String("0")))
        return usage(QStringLiteral("expected NAME:1 or NAME:0"));
    const int row = formerRow(w, name);
    if (row < 0)
        return noFormer(name);
    QString why;
    if (!userCanOperate(w.ui().lstCouples, why))
        return usage(why);
    QTableWidgetItem* box = w.ui().lstCouples->item(row, 2);
    if (!box)
        return failure(QStringLiteral("no check box \"Suit\""));
    const bool wanted = state == QLatin1String("1");
    if (w.session().formers()[std::size_t(row)]->follows == wanted)
        return ok();
    box->setCheckState(wanted ? Qt::Checked : Qt::Unchecked);
    settleEvents();
    if (w.session().formers()[std::size_t(row)]->follows != wanted)
        return failure(w.statusText());
    return ok();
}

// "Courbes par les couples"; a refusal (told in the status bar) is the action's failure.
ActionResult fitCurves(ScriptedEditor& w, const QString& value) {
    if (value != QLatin1String("1"))
        return usage(QStringLiteral("expected 1"));
    FuselageWindow* window = nullptr;
    if (const ActionResult r = fuselageOpen(w, window); r.status != 0)
        return r;
    w.statusLine().clearMessage();
    window->fitButton()->click();
    settleEvents();
    if (w.statusLine().kind() == StatusLine::Kind::Refusal)
        return failure(w.statusLine().message());
    return ok();
}

ActionResult planPicture(ScriptedEditor& w, PlanView view, const QString& value) {
    FuselageWindow* window = nullptr;
    if (const ActionResult r = fuselageOpen(w, window); r.status != 0)
        return r;
    QPushButton* b = window->pictureButton(view);
    return withNameTyped(
        w, [b] { b->click(); }, value);
}

ActionResult sidePicture(ScriptedEditor& w, const QString& value) {
    return planPicture(w, PlanView::Side, value);
}

ActionResult topPicture(ScriptedEditor& w, const QString& value) {
    return planPicture(w, PlanView::Top, value);
}

// "Calibrer..." of the view, two clicks at X1,Y1 and X2,Y2 (the drawing's real mm), MM typed.
ActionResult planCalibrate(ScriptedEditor& w, PlanView view, const QString& value) {
    const QStringList parts = value.split(':');
    QPointF a, b;
    if (parts.size() != 3 || !parsePoint(parts[0], a) || !parsePoint(parts[1], b))
        return usage(QStringLiteral("expected X1,Y1:X2,Y2:MM"));
    const DecimalReading mm = readDecimal(parts[2].toStdString(), DecimalRule{0.01, 100000.0});
    if (!mm.ok())
        return usage(QString::fromStdString(mm.reason));
    FuselageWindow* window = nullptr;
    if (const ActionResult r = fuselageOpen(w, window); r.status != 0)
        return r;
    QPushButton* button = window->calibrateButton(view);
    QString why;
    if (!userCanOperate(button, why))
        return usage(why + QStringLiteral(" (no picture under the view)"));
    FuselageDrawing* drawing = window->drawing(view);
    const QPointF at[] = {drawing->toPixel(a.x(), a.y()), drawing->toPixel(b.x(), b.y())};
    for (const QPointF& p : at)
        if (!QRectF(drawing->rect()).contains(p))
            return usage(QStringLiteral("the point is outside the drawing"));
    const PlanPicture before = w.session().planPicture(view);
    button->click();
    auto answer = std::exchange(w.dialogs.number, [&mm](const QString&) { return mm.value; });
    for (const QPointF& p : at) {
        QMouseEvent press(QEvent::MouseButtonPress, p, drawing->mapToGlobal(p), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(drawing, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, p, drawing->mapToGlobal(p), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(drawing, &release);
        settleEvents();
    }
    w.dialogs.number = std::move(answer);
    const PlanPicture& now = w.session().planPicture(view);
    if (!now.calibrated || now == before)
        return failure(w.statusText());
    return ok();
}

ActionResult sideCalibrate(ScriptedEditor& w, const QString& value) {
    return planCalibrate(w, PlanView::Side, value);
}

ActionResult topCalibrate(ScriptedEditor& w, const QString& value) {
    return planCalibrate(w, PlanView::Top, value);
}

// (output) The window "Fuselage" as the user sees it.
ActionResult fuselagePicture(ScriptedEditor& w, const QString& value) {
    FuselageWindow* window = nullptr;
    if (const ActionResult r = fuselageOpen(w, window); r.status != 0)
        return r;
    return writeOutput(value, [window](QSaveFile& f) { return window->grab().save(&f, "PNG"); });
}

// "&Fichiers" › "Exporter tous les couples...": every former ticked, FORMAT chosen, the sheet
// typed when one is given, confirmed, then NAME typed.
ActionResult exportAll(ScriptedEditor& w, const QString& value) {
    QStringList parts = value.split(':');
    DxfVersion dxf = DxfVersion::AutoCad2000;
    if (parts.size() > 2 && parts.front() == QLatin1String("dxf") &&
        parts.back() == QLatin1String("r12")) {
        dxf = DxfVersion::R12;
        parts.removeLast();
    }
    if (parts.size() < 2)
        return usage(QStringLiteral("expected FORMAT:NAME[:SHEETWxH][:r12]"));
    const std::pair<const char*, SheetsFormat> formats[] = {
        {"dxf", SheetsFormat::Dxf}, {"svg", SheetsFormat::Svg}, {"pdf", SheetsFormat::Pdf}};
    std::optional<SheetsFormat> format;
    for (const auto& [name, f] : formats) {
        if (parts[0] == QLatin1String(name))
            format = f;
    }
    if (!format)
        return usage(QStringLiteral("unknown format %1 (dxf, svg or pdf)").arg(parts[0]));
    // NAME holds no ':', as for export=: a third part is the sheet's size, and a size that does
    // not read is bad usage, never part of a file name.
    if (parts.size() > 3)
        return usage(QStringLiteral("expected FORMAT:NAME[:SHEETWxH] (NAME holds no ':')"));
    std::optional<std::pair<double, double>> sheet;
    if (parts.size() == 3) {
        const QStringList sides = parts[2].split('x');
        if (sides.size() != 2)
            return usage(QStringLiteral("%1 is no sheet size WxH in millimetres").arg(parts[2]));
        constexpr DecimalRule kSide{1.0, 100000.0, false}; // what the dialog's boxes accept
        const DecimalReading width = readDecimal(sides[0].toStdString(), kSide);
        const DecimalReading height = readDecimal(sides[1].toStdString(), kSide);
        if (!width.ok() || !height.ok())
            return usage(QString::fromStdString(width.ok() ? height.reason : width.reason));
        sheet = {*width.value, *height.value};
    }
    const QString name = parts[1];
    auto answer = std::exchange(w.dialogs.exportAll, [&](const ExportAllChoice& last) {
        ExportAllChoice c = last;
        c.format = *format;
        if (sheet) {
            c.sheet.width = sheet->first;
            c.sheet.height = sheet->second;
        }
        c.ticked.clear(); // every former
        c.dxf = dxf;
        return std::optional<ExportAllChoice>(c);
    });
    const ActionResult r = menuWithNameTyped(w, w.ui().IM_Export_All, name);
    w.dialogs.exportAll = std::move(answer);
    return r;
}

// ---------------------------------------------------------------------------------------
// The stringers and slots: "&Outils" › "&Lisses et encoches..."

// Opens the window as the user does (it stays open) and runs one of its commands: a refusal it
// tells, the table staying as it was, is bad usage naming the value.
template <typename Command> ActionResult notchCommand(ScriptedEditor& w, Command command) {
    if (!w.ui().IM_Notches->isEnabled())
        return usage(QStringLiteral("IM_Notches is disabled"));
    w.ui().IM_Notches->trigger();
    settleEvents();
    NotchesDialog& d = *w.notchesDialog();
    d.message->hide();
    const NotchTable before = w.session().notchTable();
    if (const ActionResult r = command(d); r.status != 0)
        return r;
    settleEvents();
    if (w.session().notchTable() == before && !d.message->isHidden())
        return usage(d.message->text());
    return ok();
}

// NAME:PLACE:W:D[:one]: the new row typed under "Lisses", "Des deux côtés" ticked unless
// `one`, then "Ajouter".
ActionResult stringerAdd(ScriptedEditor& w, const QString& value) {
    QStringList parts = value.split(':');
    bool bothSides = true;
    if (parts.size() == 5 && parts[4] == QLatin1String("one")) {
        bothSides = false;
        parts.removeLast();
    }
    if (parts.size() != 4)
        return usage(QStringLiteral("expected NAME:PLACE:W:D[:one]"));
    return notchCommand(w, [&](NotchesDialog& d) {
        d.newName->setText(parts[0]);
        for (const auto& [box, text] :
             {std::pair{d.newPlace, parts[1]}, std::pair{d.newWidth, parts[2]},
              std::pair{d.newDepth, parts[3]}})
            if (const ActionResult r = typeInBox(box, text); r.status != 0)
                return r;
        if (d.newBothSides->isChecked() != bothSides)
            d.newBothSides->click();
        return clickButton(d.cmdAjouter);
    });
}

// The row of that name chosen in "Lisses", then "Supprimer".
ActionResult stringerDelete(ScriptedEditor& w, const QString& value) {
    return notchCommand(w, [&](NotchesDialog& d) {
        const int row = d.stringerRow(value);
        if (row < 0)
            return usage(QStringLiteral("there is no stringer %1").arg(value));
        d.stringerTable->setCurrentCell(row, 0);
        return clickButton(d.cmdSupprimerLisse);
    });
}

const std::pair<const char*, SlotKind> kSlotWords[] = {
    {"keel", SlotKind::Keel}, {"spine", SlotKind::Spine}, {"crutch", SlotKind::Crutch}};

std::optional<SlotKind> slotKind(const QString& word) {
    for (const auto& [name, kind] : kSlotWords)
        if (word == QLatin1String(name))
            return kind;
    return std::nullopt;
}

// keel:W:D, spine:W:D or crutch:HEIGHT:W:D: the kind chosen under "Fentes", its boxes typed,
// then "Poser".
ActionResult slot(ScriptedEditor& w, const QString& value) {
    const QStringList parts = value.split(':');
    const std::optional<SlotKind> kind = parts.isEmpty() ? std::nullopt : slotKind(parts[0]);
    if (!kind)
        return usage(QStringLiteral("unknown slot %1 (keel, spine or crutch)").arg(parts.value(0)));
    const bool crutch = *kind == SlotKind::Crutch;
    if (parts.size() != (crutch ? 4 : 3))
        return usage(crutch ? QStringLiteral("expected crutch:HEIGHT:W:D")
                            : QStringLiteral("expected %1:W:D").arg(parts[0]));
    return notchCommand(w, [&](NotchesDialog& d) {
        d.newSlotKind->setCurrentIndex(d.newSlotKind->findData(static_cast<int>(*kind)));
        const qsizetype at = crutch ? 2 : 1;
        if (crutch)
            if (const ActionResult r = typeInBox(d.newSlotHeight, parts[1]); r.status != 0)
                return r;
        if (const ActionResult r = typeInBox(d.newSlotWidth, parts[at]); r.status != 0)
            return r;
        if (const ActionResult r = typeInBox(d.newSlotDepth, parts[at + 1]); r.status != 0)
            return r;
        return clickButton(d.cmdPoser);
    });
}

// The slot of that kind chosen in "Fentes", then "Retirer".
ActionResult slotDelete(ScriptedEditor& w, const QString& value) {
    const std::optional<SlotKind> kind = slotKind(value);
    if (!kind)
        return usage(QStringLiteral("unknown slot %1 (keel, spine or crutch)").arg(value));
    return notchCommand(w, [&](NotchesDialog& d) {
        const int row =
            d.slotRow(QString::fromUtf8(slotName(*kind).data(), qsizetype(slotName(*kind).size())));
        if (row < 0)
            return usage(QStringLiteral("there is no %1 slot").arg(value));
        d.slotTable->setCurrentCell(row, 0);
        return clickButton(d.cmdRetirer);
    });
}

} // namespace

const std::vector<CliAction>& cliActions() {
    // clang-format off
    static const std::vector<CliAction> table = {
        {"points", "N", "moves \"Nbre de Points\" to N", points},
        {"order", "K", "moves \"Résolution\" to K", order},
        {"button", "I", "clicks toolbar button I", button},
        {"snapshot", "FILE.png", "writes the drawing surface as the user sees it", snapshot},
        {"state", "FILE.json", "writes the editor's state", state},
        // files
        {"save", "PIECE:NAME", "saves gauche, droit, haut, bas or entier as NAME (\"\" cancels)", save},
        {"load", "NAME", "chooses NAME with \"&Charger\" (\"\" cancels)", load},
        {"project-save", "NAME", "saves the work as the project NAME(.couple) (\"\" cancels)", projectSave},
        {"project-open", "NAME", "opens the project NAME; a refused file exits with 1", projectOpen},
        {"undo", "N", "N steps of \"&Annuler\" (more than there are: 2)", undo},
        {"redo", "N", "N steps of \"&Rétablir\" (more than there are: 2)", redo},
        {"export", "FORMAT:PIECE:NAME[:WxH[:PAGE]]",
         "draws PIECE (as in save) as svg, dxf or pdf at its real size, or W by H\n"
         "millimetres (- follows the other side), as NAME (which holds no ':');\n"
         "PAGE (pdf): a4, a4-paysage, a3 or a3-paysage, a larger piece is tiled;\n"
         "dxf takes :r12 last for R12 (AC1009)", exportPiece},
        {"calibrate", "X1,Y1:X2,Y2:MM", "\"&Calibrer le plan...\": clicks the two points (surface\n"
         "millimetres) and types their real distance MM", calibrate},
        {"scale", "S", "types the real scale S (real mm per mm of the drawing)", scale},
        {"point", "I:X,Y", "presses handle I, types its coordinates in real mm from the axes", point},
        {"text3", "TEXT", "types TEXT in the box of \"Nbre de Points\" and presses Enter", text3},
        // doubling, modes and the mouse
        {"doubling", "on|off", "clicks \"On / Off\" of the doubling when its state differs", doubling},
        {"thickness", "E", "moves \"Epaisseur\" to E", thickness},
        {"doubling-mode", "proportionnel|constante",
         "clicks \"Proportionnel\" or \"Largeur constante\" of the doubling", doublingMode},
        {"doubling-width", "MM", "types the constant width MM (real mm) and presses Enter",
         doublingWidth},
        {"assembly", "aucun|horizontal|vertical", "clicks that option of \"Assemblage\"", assembly},
        {"action", "couple|doublage", "clicks that option of \"Action Souris\"", action},
        {"slaved", "oui|non", "clicks that option of \"Mouvements asservis\"", slaved},
        {"ends-on-axis", "1|0", "ticks or unticks \"Extrémités sur l'axe\": the end points dragged\n"
         "stay on the symmetry axis", endsOnAxis},
        {"press", "X,Y:B", "presses button B (left, right, middle) at X,Y millimetres", press},
        {"move", "X,Y:B", "moves the pointer to X,Y millimetres with B (or none) held", move},
        {"release", "X,Y:B", "releases button B at X,Y millimetres", release},
        {"drag", "I:X,Y", "drags handle I of the set \"Action Souris\" chooses to X,Y", drag},
        {"pin", "I", "right-clicks handle I of that set", pin},
        // the drawing's own view
        {"view-zoom", "F@X,Y", "turns the wheel over X,Y millimetres until the drawing shows\n"
         "F (1..32) times larger, X,Y staying under the pointer", viewZoom},
        {"view-pan", "DX,DY", "drags the drawing by DX,DY of its millimetres", viewPan},
        {"view-fit", "1", "clicks \"Ajuster\": the whole drawing surface", viewFit},
        // the 3-D window and the dimension sliders
        {"view", "I", "clicks piece button I (0..4) of the 3-D window \"Assemblage\"", view},
        {"mode", "I", "clicks view button I (1..5) of the 3-D window", mode},
        {"orbit", "DX,DY:B", "drags DX,DY pixels on the 3-D surface with B held\n"
         "(left, right, middle or none)", orbit},
        {"size3d", "WxH", "resizes the 3-D surface to W by H pixels", size3d},
        {"render3d", "FILE.png", "writes the 3-D surface once its pending frame is drawn", render3d},
        {"ep", "V", "presses on \"Ep.:\" and moves it to V", ep},
        {"haut", "V", "presses on \"Haut.:\" and moves it to V", haut},
        {"larg", "V", "presses on \"Larg.:\" and moves it to V", larg},
        // the background picture
        {"tab", "dessin|masque", "clicks that tab", tab},
        {"picture", "NAME", "toolbar button 0, chooses the picture NAME (\"\" cancels)", picture},
        {"image", "on|off", "clicks \"Image On/Off\" when the display state differs", image},
        {"horiz", "V", "moves \"Horiz\" to V", horiz},
        {"vert", "V", "moves \"Vert\" to V", vert},
        {"zoom", "V", "moves \"Zoom\" to V", zoom},
        {"mspaint", "1", "prints the paint program \"&MsPaint\" would start", mspaint},
        // the editor window as a whole
        {"resize", "WxH", "resizes the editor window to W by H pixels, frame included", resize},
        {"window", "FILE.png", "writes the whole editor window as the user sees it", window},
        // the formers of the fuselage
        {"former-new", "NAME:STATION", "\"Nouveau\" in the panel \"Couples\", then renames it NAME and\n"
         "types its STATION (real mm) where they differ", formerNew},
        {"former-duplicate", "NAME", "selects the former NAME and clicks \"Dupliquer\"", formerDuplicate},
        {"former-select", "NAME", "selects the former NAME: both windows show it", formerSelect},
        {"former-rename", "OLD:NEW", "selects OLD, clicks \"Renommer\" and types NEW", formerRename},
        {"former-delete", "NAME", "selects the former NAME and clicks \"Supprimer\"", formerDelete},
        {"former-station", "NAME:MM", "types the station MM (real mm) in the row of NAME", formerStation},
        {"fuselage", "1|0", "clicks \"Vue Fuselage\" of the 3-D window when its state differs", fuselage},
        {"export-all", "FORMAT:NAME[:SHEETWxH][:r12]", "\"Exporter tous les couples...\" as dxf, svg or pdf,\n"
         "every former ticked, on sheets of W by H mm (600x300 first); r12: DXF R12", exportAll},
        // the stringers and slots
        {"stringer-add", "NAME:PLACE:W:D[:one]", "adds the stringer NAME at PLACE (0 top..1 bottom of the\n"
         "half outline), its notch W wide and D deep (real mm), on both halves or one", stringerAdd},
        {"stringer-delete", "NAME", "removes the stringer NAME", stringerDelete},
        {"slot", "KIND:[HEIGHT:]W:D", "puts the slot keel, spine or crutch (at HEIGHT real mm), W by D mm",
         slot},
        {"slot-delete", "KIND", "removes the slot keel, spine or crutch", slotDelete},
        // the window "Fuselage"
        {"fuselage-window", "1|0", "\"&Outils\" › \"&Fuselage...\" opens the window; 0 closes it",
         fuselageWindow},
        {"side", "dos|ventre:S1,H1;S2,H2;...", "types the points of \"Dos\" or \"Ventre\" (real mm)\n"
         "in the window \"Fuselage\" and presses Enter", side},
        {"top", "S1,W1;S2,W2;...", "types the points of \"Flanc\" (real mm) and presses Enter", top},
        {"former-follow", "NAME:1|0", "clicks the check box \"Suit\" of NAME when its state differs",
         formerFollow},
        {"fit-curves", "1", "clicks \"Courbes par les couples\"", fitCurves},
        {"side-picture", "NAME", "\"Image...\" of \"Vue de côté\", chooses the picture NAME", sidePicture},
        {"top-picture", "NAME", "\"Image...\" of \"Vue de dessus\", chooses the picture NAME", topPicture},
        {"side-calibrate", "X1,Y1:X2,Y2:MM", "\"Calibrer...\" of \"Vue de côté\": clicks the two points\n"
         "(the drawing's real mm) and types their distance MM", sideCalibrate},
        {"top-calibrate", "X1,Y1:X2,Y2:MM", "the same in \"Vue de dessus\"", topCalibrate},
        {"fuselage-picture", "FILE.png", "writes the window \"Fuselage\" as the user sees it",
         fuselagePicture},
        // the help menu
        {"about", "FILE.png", "opens \"&A propos\", writes its picture, closes it with \"&OK\"", about},
    };
    // clang-format on
    return table;
}

QString cliUsage() {
    QString usage = QStringLiteral(
        "usage: couples-cli [--surface WxH] ACTION...\n"
        "Starts the former editor offscreen and performs each ACTION (NAME=VALUE) in order.\n"
        "  --surface WxH       the drawing surface measures W by H millimetres\n");
    const QString indent(22, ' ');
    for (const CliAction& a : cliActions()) {
        const QString syntax =
            QStringLiteral("  %1=%2").arg(QLatin1String(a.name), QString::fromUtf8(a.value));
        const QString help = QString::fromUtf8(a.help).replace('\n', '\n' + indent);
        usage += syntax.size() < 21 ? syntax.leftJustified(22) + help + '\n'
                                    : syntax + '\n' + indent + help + '\n';
    }
    return usage + QStringLiteral("Exit status: 0 done, 2 bad usage, 1 run-time failure.\n");
}

const CliAction* findCliAction(const QString& name) {
    for (const CliAction& a : cliActions()) {
        if (name == QLatin1String(a.name))
            return &a;
    }
    return nullptr;
}
