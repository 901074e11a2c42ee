#include "couples_cli.h"

#include "cli_actions.h"

#include "editor/scripted_editor.h"
#include "view3d/frm3d.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

const char* const kUsage =
    "usage: couples-cli [--surface WxH] ACTION...\n"
    "Starts the former editor offscreen and performs each ACTION (NAME=VALUE) in order.\n"
    "  --surface WxH       the drawing surface measures W by H millimetres\n"
    "  points=N            moves \"Nbre de Points\" to N\n"
    "  order=K             moves \"Résolution\" to K\n"
    "  button=I            clicks toolbar button I\n"
    "  doubling=on|off     clicks \"On / Off\" of the doubling when its state differs\n"
    "  thickness=E         moves \"Epaisseur\" to E\n"
    "  assembly=aucun|horizontal|vertical   clicks that option of \"Assemblage\"\n"
    "  action=couple|doublage               clicks that option of \"Action Souris\"\n"
    "  slaved=oui|non      clicks that option of \"Mouvements asservis\"\n"
    "  press=X,Y:B, move=X,Y:B, release=X,Y:B\n"
    "                      a mouse event on the drawing surface at X,Y millimetres,\n"
    "                      B left, right, middle or none\n"
    "  drag=I:X,Y          drags handle I of the set \"Action Souris\" chooses to X,Y\n"
    "  pin=I               right-clicks handle I of that set\n"
    "  snapshot=FILE.png   writes the drawing surface as the user sees it\n"
    "  state=FILE.json     writes the editor's state\n"
    "  save=PIECE:NAME     saves gauche, droit, haut, bas or entier as NAME (\"\" cancels)\n"
    "  load=NAME           chooses NAME with \"&Charger\" (\"\" cancels)\n"
    "  project-save=NAME   saves the work as the project NAME(.couple) (\"\" cancels)\n"
    "  project-open=NAME   opens the project NAME; a refused file exits with 1\n"
    "  undo=N, redo=N      N steps of \"&Annuler\" or \"&Rétablir\" (more than there are: 2)\n"
    "  export=FORMAT:PIECE:NAME[:WxH]\n"
    "                      draws PIECE (as in save) as svg, dxf or pdf at its real size,\n"
    "                      or W by H millimetres (- follows the other side), as NAME\n"
    "  ep=V, haut=V, larg=V\n"
    "                      presses on \"Ep.:\", \"Haut.:\" or \"Larg.:\" and moves it to V\n"
    "  view=I              clicks piece button I (0..4) of the 3-D window \"Assemblage\"\n"
    "  mode=I              clicks view button I (1..5) of the 3-D window\n"
    "  orbit=DX,DY:B       drags DX,DY pixels on the 3-D surface with B held\n"
    "                      (left, right, middle or none)\n"
    "  size3d=WxH          resizes the 3-D surface to W by H pixels\n"
    "  render3d=FILE.png   writes the 3-D surface once its pending frame is drawn\n"
    "  tab=dessin|masque   clicks that tab\n"
    "  picture=NAME        toolbar button 0, chooses the picture NAME (\"\" cancels)\n"
    "  image=on|off        clicks \"Image On/Off\" when the display state differs\n"
    "  horiz=V, vert=V, zoom=V\n"
    "                      moves \"Horiz\", \"Vert\" or \"Zoom\" to V\n"
    "  mspaint=1           prints the paint program \"&MsPaint\" would start\n"
    "  resize=WxH          resizes the editor window to W by H pixels, frame included\n"
    "  window=FILE.png     writes the whole editor window as the user sees it\n"
    "  about=FILE.png      opens \"&A propos\", writes its picture, closes it with \"&OK\"\n"
    "Exit status: 0 done, 2 bad usage, 1 run-time failure.\n";

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
        out << kUsage;
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
        err << kUsage;
        return 2;
    }
    // Nobody can answer a dialog or read a message box here: a dialog that no action types into
    // is cancelled, and a warning fails the action that caused it.
    QString warning;
    ScriptedEditor window(surface);
    window.dialogs.fileName = [](const QString&, const QString&, int) { return QString(); };
    window.dialogs.warning = [&warning](const QString&, const QString& text) { warning = text; };
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
        window.recordWorkChange(); // each action is one step of "&Annuler"
        if (r.status == 0 && !warning.isEmpty())
            r = {1, warning};
        if (r.status != 0) {
            err << "couples-cli: " << a << ": " << r.message << "\n";
            return r.status;
        }
    }
    return 0;
}
