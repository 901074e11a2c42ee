#include "cli_actions.h"

#include "couples_cli.h"
#include "state_json.h"

#include "editor/main.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QPixmap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>

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

// A user can operate a control that is enabled and not hidden. A page of the tab control
// that is not in front only needs a click on its tab, so it does not count as hidden.
bool userCanOperate(const QWidget* w, QString& why) {
    if (!w->isEnabled()) {
        why = QStringLiteral("%1 is disabled").arg(w->objectName());
        return false;
    }
    for (const QWidget* p = w; p && !p->isWindow(); p = p->parentWidget()) {
        if (p->isHidden() && !qobject_cast<const QStackedWidget*>(p->parentWidget())) {
            why = QStringLiteral("%1 is hidden").arg(w->objectName());
            return false;
        }
    }
    return true;
}

// Moves a slider as a user drag does: the position moves and the value follows, so the
// handlers that listen to user moves run.
ActionResult moveSlider(QSlider* s, const QString& value) {
    int v = 0;
    if (!parseInt(value, v))
        return usage(QStringLiteral("not a whole number"));
    if (v < s->minimum() || v > s->maximum())
        return usage(
            QStringLiteral("%1 is outside %2..%3").arg(v).arg(s->minimum()).arg(s->maximum()));
    QString why;
    if (!userCanOperate(s, why))
        return usage(why);
    s->setSliderDown(true);
    s->setSliderPosition(v);
    s->setSliderDown(false);
    return ok();
}

ActionResult points(Main& w, const QString& value) {
    return moveSlider(w.Hscroll2, value);
}

ActionResult order(Main& w, const QString& value) {
    return moveSlider(w.Hscroll3, value);
}

ActionResult button(Main& w, const QString& value) {
    int index = 0;
    if (!parseInt(value, index))
        return usage(QStringLiteral("not a whole number"));
    QToolButton* b = w.pb1(index);
    if (!b)
        return usage(QStringLiteral("the toolbar has no button %1").arg(index));
    QString why;
    if (!userCanOperate(b, why))
        return usage(why);
    b->click();
    return ok();
}

bool writeFile(const QString& name, const QByteArray& bytes, QString& why) {
    // Written aside and renamed, so a failure leaves any existing file as it was.
    QSaveFile f(name);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        why = QStringLiteral("cannot write %1: %2").arg(name, f.errorString());
        return false;
    }
    return true;
}

ActionResult snapshot(Main& w, const QString& value) {
    if (value.isEmpty())
        return usage(QStringLiteral("no file name"));
    const QPixmap picture = w.Picture1->grab();
    QSaveFile f(value);
    if (!f.open(QIODevice::WriteOnly) || !picture.save(&f, "PNG") || !f.commit())
        return failure(QStringLiteral("cannot write %1: %2").arg(value, f.errorString()));
    return ok();
}

ActionResult state(Main& w, const QString& value) {
    if (value.isEmpty())
        return usage(QStringLiteral("no file name"));
    QString why;
    if (!writeFile(value, QJsonDocument(editorState(w)).toJson(QJsonDocument::Indented), why))
        return failure(why);
    return ok();
}

// Runs a menu item that asks for a file name, typing `name` in its dialog and confirming ("" is
// a cancel). A warning the item shows instead of its work is the action's failure.
ActionResult withNameTyped(Main& w, QAction* item, const QString& name) {
    if (!item->isEnabled() || !item->isVisible())
        return usage(QStringLiteral("%1 is disabled").arg(item->objectName()));
    // The dialog opens a folder instead of confirming it.
    if (!name.isEmpty() &&
        (name.endsWith('/') || QFileInfo(QDir::current().absoluteFilePath(name)).isDir()))
        return usage(QStringLiteral("%1 is a folder, not a file name").arg(name));
    QString warning;
    auto answer = std::exchange(w.fileDialogAnswer,
                                [&name](const QString&, const QString&, int) { return name; });
    auto sink = std::exchange(w.warningSink,
                              [&warning](const QString&, const QString& text) { warning = text; });
    item->trigger();
    w.fileDialogAnswer = std::move(answer);
    w.warningSink = std::move(sink);
    if (!warning.isEmpty())
        return failure(warning);
    return ok();
}

ActionResult save(Main& w, const QString& value) {
    const qsizetype colon = value.indexOf(':');
    if (colon < 0)
        return usage(QStringLiteral("expected PIECE:NAME"));
    const QString piece = value.left(colon);
    const std::pair<const char*, QAction * Main::*> items[] = {{"gauche", &Main::IM_Save_G},
                                                               {"droit", &Main::IM_Save_D},
                                                               {"haut", &Main::IM_H},
                                                               {"bas", &Main::IM_B},
                                                               {"entier", &Main::IM_Save_All}};
    for (const auto& [name, item] : items) {
        if (piece == QLatin1String(name))
            return withNameTyped(w, w.*item, value.mid(colon + 1));
    }
    return usage(
        QStringLiteral("unknown piece %1 (gauche, droit, haut, bas or entier)").arg(piece));
}

ActionResult load(Main& w, const QString& value) {
    return withNameTyped(w, w.IM_Load, value);
}

} // namespace

const std::vector<CliAction>& cliActions() {
    static const std::vector<CliAction> table = {
        {"points", points}, {"order", order}, {"button", button}, {"snapshot", snapshot},
        {"state", state},   {"save", save},   {"load", load},
    };
    return table;
}

const CliAction* findCliAction(const QString& name) {
    for (const CliAction& a : cliActions()) {
        if (name == QLatin1String(a.name))
            return &a;
    }
    return nullptr;
}
