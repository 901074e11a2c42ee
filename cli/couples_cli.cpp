#include "couples_cli.h"

#include "cli_actions.h"

#include "editor/scripted_editor.h"
#include "view3d/frm3d.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

constexpr double kMaxSurface = 1000.0; // mm: keeps the surface's layers a sane size

bool parseSurface(const QString& text, QSizeF& size) {
    static const QRegularExpression re(
        QStringLiteral("^([0-9]+(?:\\.[0-9]+)?)x([0-9]+(?:\\.[0-9]+)?)$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return false;
    const double w = m.captured(1).toDouble();
    const double h = m.captured(2).toDouble();
    if (w < 1.0 || h < 1.0 || w > kMaxSurface || h > kMaxSurface)
        return false;
    size = QSizeF(w, h);
    return true;
}

QTextStream* scriptOut = nullptr;
QTextStream* scriptErr = nullptr;

} // namespace

QTextStream& cliOut() {
    static QTextStream nowhere(stdout);
    return scriptOut ? *scriptOut : nowhere;
}

QTextStream& cliErr() {
    static QTextStream nowhere(stderr);
    return scriptErr ? *scriptErr : nowhere;
}

void settleEvents() {
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

int runCouplesCli(const QStringList& args, QTextStream& out, QTextStream& err) {
    // The stream is the script's for as long as it runs.
    struct OutFor {
        OutFor(QTextStream* o, QTextStream* e) {
            scriptOut = o;
            scriptErr = e;
        }
        ~OutFor() { scriptOut = scriptErr = nullptr; }
        OutFor(const OutFor&) = delete;
        OutFor& operator=(const OutFor&) = delete;
    } outFor(&out, &err);
    QStringList actions = args;
    QSizeF surface(Main::kDesignSurfaceWidth, Main::kDesignSurfaceHeight);

    if (!actions.isEmpty() && (actions.front() == "--help" || actions.front() == "-h")) {
        out << cliUsage();
        return 0;
    }
    if (!actions.isEmpty() && actions.front() == "--surface") {
        if (actions.size() < 2 || !parseSurface(actions.at(1), surface)) {
            err << "couples-cli: --surface: expected WxH in millimetres, each 1.." << kMaxSurface
                << "\n";
            return 2;
        }
        actions.remove(0, 2);
    }
    if (actions.isEmpty()) {
        err << cliUsage();
        return 2;
    }
    // Nobody can answer a dialog or read a message box here: a dialog that no action types into
    // is cancelled, and a warning fails the action that caused it.
    QString warning;
    ScriptedEditor window(surface);
    window.dialogs.fileName = [](const QString&, const QString&, int) { return QString(); };
    window.dialogs.warning = [&warning](const QString&, const QString& text) { warning = text; };
    // The script asked for the export: a former drawn with notches left out is written so, and
    // the question is told on stderr (the state names the notches left out).
    window.dialogs.confirmation = [&err](const QString& text) {
        err << "couples-cli: " << QString(text).replace('\n', ' ') << "\n";
        return true;
    };
    // A script must never wait on a message box: engine errors go to stderr.
    window.frm3D()->errorPresenter = [&err](int, const QString& text) {
        err << "couples-cli: Error: " << text << "\n";
    };
    window.show();
    settleEvents();

    for (const QString& a : actions) {
        // An unknown action is bad usage when its turn comes: the actions before it have run.
        const qsizetype eq = a.indexOf('=');
        const CliAction* action = eq > 0 ? findCliAction(a.left(eq)) : nullptr;
        if (!action) {
            err << "couples-cli: " << a << ": unknown action\n";
            return 2;
        }
        warning.clear();
        ActionResult r = action->run(window, a.mid(eq + 1));
        settleEvents();
        // Each action is one step of "&Annuler" at most: a press, a move and a release given
        // as three actions are three.
        window.session().endGesture();

        if (r.status == 0 && !warning.isEmpty())
            r = {1, warning};
        if (r.status != 0) {
            err << "couples-cli: " << a << ": " << r.message << "\n";
            return r.status;
        }
    }
    return 0;
}
