// The tool windows under a real window manager: they stay above the editor, even maximised, go
// and come back with it, and every window's place and size come back at the next start.
#include "editor/scripted_editor.h"
#include "editor/tool_windows.h"
#include "view3d/frm3d.h"
#include "view3d/frm3d_picture.h"

#include <QApplication>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

// What xprop says of a property of a window (of the root window for id 0), "" when it cannot.
QString property(WId id, const char* name) {
    QProcess xprop;
    QStringList args;
    if (id == 0)
        args << "-root";
    else
        args << "-id" << QString::number(id);
    xprop.start("xprop", args << name);
    if (!xprop.waitForFinished(5000))
        return {};
    return QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
}

// The windows' ids as the window manager stacks them, bottom first.
QList<WId> stacking() {
    const QString line = property(0, "_NET_CLIENT_LIST_STACKING");
    QList<WId> ids;
    const qsizetype hash = line.indexOf('#');
    for (const QString& id : line.mid(hash + 1).split(',', Qt::SkipEmptyParts))
        ids << id.trimmed().toULongLong(nullptr, 16);
    return ids;
}

// Waits, ten seconds at most (a loaded machine is slow to pass things on), until it holds.
bool eventually(const std::function<bool()>& holds) {
    QElapsedTimer t;
    t.start();
    do {
        QApplication::processEvents();
        if (holds())
            return true;
        QTest::qWait(50);
    } while (t.elapsed() < 10000);
    return holds();
}

bool iconic(const QWidget* w) {
    return property(w->winId(), "WM_STATE").contains("Iconic");
}

struct Places {
    QRect editor, assemblage, couples;
};

Places placesOf(ScriptedEditor& w) {
    return {w.frameGeometry(), w.frm3D()->frameGeometry(), w.ui().Couples->frameGeometry()};
}

TEST(WindowPlaces, ToolWindowsStayAboveTheEditorAndEveryPlaceComesBack) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A store of the test's own: the user's settings are never read nor written.
    QSettings settings(dir.filePath("places.ini"), QSettings::IniFormat);
    Places left;
    {
        ScriptedEditor w;
        w.keepWindowPlaces(settings); // nothing kept yet: the places of start-up
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        QWidget* const tools[] = {w.frm3D(), w.ui().Couples};
        for (QWidget* const tool : tools) {
            SCOPED_TRACE(tool->windowTitle().toStdString());
            ASSERT_TRUE(QTest::qWaitForWindowExposed(tool));
            EXPECT_TRUE(eventually([&] {
                return property(tool->winId(), "WM_TRANSIENT_FOR")
                    .endsWith("0x" + QString::number(w.winId(), 16));
            })) << property(tool->winId(), "WM_TRANSIENT_FOR").toStdString();
        }
        // Maximised and in front, the editor leaves its tool windows above it.
        w.showMaximized();
        w.activateWindow();
        w.raise();
        ASSERT_TRUE(eventually([&] { return w.isMaximized(); }));
        for (QWidget* const tool : tools)
            EXPECT_TRUE(eventually([&] {
                const QList<WId> order = stacking();
                return order.indexOf(tool->winId()) > order.indexOf(w.winId()) &&
                       order.indexOf(w.winId()) >= 0;
            })) << tool->windowTitle().toStdString()
                << ": " << property(0, "_NET_CLIENT_LIST_STACKING").toStdString();
        // Minimised, they go with it; back, they come back with it.
        w.showMinimized();
        for (QWidget* const tool : tools)
            EXPECT_TRUE(eventually([&] { return iconic(tool); }))
                << tool->windowTitle().toStdString();
        w.showNormal();
        for (QWidget* const tool : tools)
            EXPECT_TRUE(eventually([&] { return !iconic(tool) && tool->isVisible(); }))
                << tool->windowTitle().toStdString();

        // Each window put somewhere of its own and sized. "Assemblage" resized goes to the
        // corner of the screen, as it always does; moved afterwards, it stays there.
        w.setGeometry(520, 140, 900, 700);
        w.frm3D()->resize(420, 330);
        ASSERT_TRUE(eventually([&] { return w.frm3D()->size() == QSize(420, 330); }));
        w.frm3D()->move(60, 420);
        w.ui().Couples->setGeometry(1230, 80, 260, 400);
        ASSERT_TRUE(eventually([&] {
            return w.geometry() == QRect(520, 140, 900, 700) &&
                   w.frm3D()->pos() == QPoint(60, 420) &&
                   w.ui().Couples->geometry() == QRect(1230, 80, 260, 400);
        })) << "the window manager placed them elsewhere";
        left = placesOf(w);
        w.close(); // the places are kept as the editor closes
    }
    EXPECT_TRUE(settings.contains("fenetres/Assemblage"));
    {
        ScriptedEditor w;
        w.keepWindowPlaces(settings);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        EXPECT_TRUE(eventually([&] {
            const Places now = placesOf(w);
            return now.editor == left.editor && now.assemblage == left.assemblage &&
                   now.couples == left.couples;
        }));
        const Places now = placesOf(w);
        for (const auto& [was, is, name] :
             {std::tuple{left.editor, now.editor, "EDITEUR de COUPLES"},
              std::tuple{left.assemblage, now.assemblage, "Assemblage"},
              std::tuple{left.couples, now.couples, "Couples"}}) {
            SCOPED_TRACE(name);
            EXPECT_EQ(is, was);
        }
        // The 3-D surface fills the window at its place given back.
        EXPECT_EQ(w.frm3D()->Picture1->geometry(), w.frm3D()->rect());
    }
}

} // namespace
