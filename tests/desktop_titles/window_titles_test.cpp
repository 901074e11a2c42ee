// Each window's title as the window manager has it is the window's caption, nothing appended.
#include "editor/application.h"
#include "editor/frm_hlp.h"
#include "editor/scripted_editor.h"
#include "view3d/frm3d.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// _NET_WM_NAME of a window as the X server holds it, or WM_NAME; "" when it cannot be read.
QString titleOnScreen(const QWidget* window) {
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(window->winId()), "_NET_WM_NAME"});
    if (!xprop.waitForFinished(5000))
        return {};
    const QString line = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const qsizetype quote = line.indexOf('"');
    return quote < 0 ? QString() : line.mid(quote + 1).chopped(1);
}

// Waits, ten seconds at most (a loaded machine is slow to pass it on), for the server to have the
// expected title, and tells what it has.
std::string awaitTitle(const QWidget* window, const QString& expected) {
    QElapsedTimer t;
    t.start();
    QString seen;
    do {
        QApplication::processEvents();
        seen = titleOnScreen(window);
        if (seen == expected)
            break;
        QTest::qWait(50);
    } while (t.elapsed() < 10000);
    return seen.toStdString();
}

TEST(WindowTitles, EachWindowShowsItsCaptionAlone) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScriptedEditor w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(awaitTitle(&w, "EDITEUR de COUPLES"), "EDITEUR de COUPLES");
    EXPECT_EQ(awaitTitle(w.frm3D(), "Assemblage"), "Assemblage");

    // Named after its project, and marked while the work differs from it.
    w.dialogs.fileName = [&dir](const QString&, const QString&, int) {
        return dir.filePath("f3.couple");
    };
    w.ui().IM_Couple_SaveAs->trigger();
    EXPECT_EQ(awaitTitle(&w, "EDITEUR de COUPLES - f3.couple"), "EDITEUR de COUPLES - f3.couple");
    w.pb1_Click(14); // a view change: no mark
    w.setWindowModified(w.session().modified());
    EXPECT_EQ(awaitTitle(&w, "EDITEUR de COUPLES - f3.couple"), "EDITEUR de COUPLES - f3.couple");

    w.ui().IM_HRELP->trigger();
    ASSERT_TRUE(w.helpWindow());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.helpWindow()));
    EXPECT_EQ(awaitTitle(w.helpWindow(), "Aide"), "Aide");

    std::string about;
    QTimer::singleShot(0, [&w, &about] {
        if (w.aboutWindow()) {
            about = awaitTitle(w.aboutWindow(), "A propos");
            w.aboutWindow()->close();
        }
    });
    w.ui().IM_ABOUT->trigger();
    EXPECT_EQ(about, "A propos");
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    setUpApplication();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
