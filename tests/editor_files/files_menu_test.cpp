#include "files_test_support.h"

#include "view3d/frm3d.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include <clocale>
#include <cstdio>
#include <locale>
#include <sys/stat.h>

namespace {

class FilesMenu : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        w = shownMain();
    }
    QString file(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    std::unique_ptr<Main> w;
};

// Lines of a profile file as (x, y) pairs.
std::vector<std::pair<double, double>> profilePoints(const std::string& text) {
    std::vector<std::pair<double, double>> pts;
    for (const QString& line : QString::fromStdString(text).split("\r\n", Qt::SkipEmptyParts)) {
        const QStringList xy = line.split(' ');
        EXPECT_EQ(xy.size(), 2) << line.toStdString();
        if (xy.size() == 2)
            pts.emplace_back(xy[0].toDouble(), xy[1].toDouble());
    }
    return pts;
}

TEST_F(FilesMenu, ItemsCaptionsAndSeparatorsInOrder) {
    EXPECT_EQ(w->menuBar()->actions().value(0), w->IM_File->menuAction()) << "the first menu";
    EXPECT_EQ(w->IM_File->title(), "&Fichiers");
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"IM_Load", "&Charger"},
        {"IM_Sep1", nullptr},
        {"IM_Save_G", "&Sauvegarder 1/2 couple Gauche"},
        {"IM_Save_D", "&Sauvegarder 1/2 couple Droit"},
        {"sepa", nullptr},
        {"IM_H", "&Sauvegarder 1/2 couple Haut"},
        {"IM_B", "&Sauvegarder 1/2 couple Bas"},
        {"sepb", nullptr},
        {"IM_Save_All", "&Sauvegarder Couple Entier"},
        {"IM_Sep", nullptr},
        {"IM_Quit", "&Quitter"},
    };
    const QList<QAction*> items = w->IM_File->actions();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const QAction* a = items[static_cast<qsizetype>(i)];
        EXPECT_EQ(a->objectName(), expected[i].first);
        if (expected[i].second) {
            EXPECT_FALSE(a->isSeparator()) << expected[i].first;
            EXPECT_EQ(a->text(), QString::fromUtf8(expected[i].second));
        } else {
            EXPECT_TRUE(a->isSeparator()) << expected[i].first;
            EXPECT_TRUE(a->text().isEmpty()) << expected[i].first;
        }
    }
}

// Each item writes its own piece, as the files library formats it, with and without the
// doubling; the toolbar's "Enregistrer le Projet" writes the whole former.
TEST_F(FilesMenu, EachSaveItemWritesItsPiece) {
    w->Hscroll2->setValue(16); // N = 16, M = 7: the five pieces have different line counts
    ASSERT_EQ(w->model().Nb_Points, 16);
    const double axisX = w->model().X1() / outputUnit;
    struct Item {
        QAction* action;
        int code;
        int lines;         // without doubling
        int linesDoubling; // with it
        const char* name;
    };
    const Item items[] = {
        {w->IM_Save_G, 3, 17, 33, "left"},    {w->IM_Save_D, 4, 17, 33, "right"},
        {w->IM_H, 2, 16, 33, "top"},          {w->IM_B, 1, 18, 37, "bottom"},
        {w->IM_Save_All, 5, 34, 68, "whole"},
    };
    // Left and right halves lie on their side of the vertical axis; the top half lies mostly
    // above the horizontal one, the bottom half mostly below it.
    auto onItsSide = [axisX](int code, const std::vector<std::pair<double, double>>& pts) {
        double minX = 1e9, maxX = -1e9, sumY = 0.0;
        for (const auto& [x, y] : pts) {
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            sumY += y;
        }
        switch (code) {
        case 3:
            return maxX <= axisX + 1e-6;
        case 4:
            return minX >= axisX - 1e-6;
        case 2:
            return sumY > 0.0;
        case 1:
            return sumY < 0.0;
        default:
            return minX < axisX && maxX > axisX;
        }
    };
    ScriptedUser user(*w);
    for (const bool doubling : {false, true}) {
        w->Check4->setChecked(doubling);
        w->DisegnaCurva();
        if (doubling) {
            ASSERT_NE(w->model().Doublage_Droit[3], w->model().Courbe_Droite[3]);
        }
        const auto samples = w->model().Courbe_Droite;
        for (const Item& it : items) {
            SCOPED_TRACE(std::string(it.name) + (doubling ? " with doubling" : ""));
            user.typed = file(QStringLiteral("%1_%2").arg(it.name).arg(doubling));
            const int dialogs = user.dialogs;
            it.action->trigger();
            EXPECT_EQ(user.dialogs, dialogs + 1);
            EXPECT_EQ(user.lastPattern, "*.DAT");
            EXPECT_EQ(user.lastDescription, "Fichier Profil");
            EXPECT_NE(user.lastForSave, 0);
            EXPECT_EQ(w->Chosen_File, user.typed + ".DAT");
            const std::string bytes = fileBytes(w->Chosen_File);
            EXPECT_EQ(bytes, coupleFileText(outlineInput(*w), it.code).text);
            const auto pts = profilePoints(bytes);
            EXPECT_EQ(static_cast<int>(pts.size()), doubling ? it.linesDoubling : it.lines);
            EXPECT_TRUE(onItsSide(it.code, pts));
        }
        // The toolbar button saves exactly what the whole-former item saved.
        const QString whole = w->Chosen_File;
        user.typed = file(QStringLiteral("toolbar_%1").arg(doubling));
        w->pb1(1)->click();
        EXPECT_EQ(fileBytes(user.typed + ".DAT"), fileBytes(whole));
        EXPECT_EQ(w->model().Courbe_Droite, samples) << "saving changes nothing in the model";
    }
    EXPECT_TRUE(user.warnings.isEmpty()) << user.warnings.join('\n').toStdString();
}

// The extension goes on the whole path text, after the dialog has taken a relative name in
// the current folder.
TEST_F(FilesMenu, SaveNamesGetTheProfileExtensionWhenTheyLackIt) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("my.data"));
    CurrentFolder here(dir.path());
    const QString cwd = QDir::currentPath();
    const std::pair<QString, QString> cases[] = {
        {"f1", cwd + "/f1.DAT"},
        {"f2.dat", cwd + "/f2.dat"},
        {"f3.Dat", cwd + "/f3.Dat"},
        {"f4.txt", cwd + "/f4.txt.DAT"},
        {"my.data/f5", cwd + "/my.data/f5"},
        {file("f6"), file("f6.DAT")},
    };
    ScriptedUser user(*w);
    for (const auto& [typed, chosen] : cases) {
        user.typed = typed;
        w->IM_B->trigger();
        EXPECT_EQ(w->Chosen_File, chosen) << typed.toStdString();
        EXPECT_TRUE(QFile::exists(chosen)) << chosen.toStdString();
    }
}

TEST_F(FilesMenu, LoadOnlyRecordsTheChosenName) {
    CurrentFolder here(dir.path());
    {
        QFile f(file("profile.dat"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("9.0 9.0\r\nnot a profile\r\n");
    }
    const FormerModel before = w->model();
    const std::string content = fileBytes(file("profile.dat"));
    ScriptedUser user(*w);
    user.typed = "profile.dat";
    w->IM_Load->trigger();
    EXPECT_EQ(user.lastPattern, "*.dat");
    EXPECT_EQ(user.lastDescription, "Fichiers Profils");
    EXPECT_EQ(user.lastForSave, 0);
    EXPECT_EQ(w->Chosen_File, QDir::currentPath() + "/profile.dat");
    EXPECT_EQ(w->model().Pts_Couple, before.Pts_Couple);
    EXPECT_EQ(w->model().Courbe_Droite, before.Courbe_Droite);
    EXPECT_EQ(w->model().Nb_Points, before.Nb_Points);
    EXPECT_EQ(fileBytes(file("profile.dat")), content);

    // Opening never adds an extension, and any name may be typed.
    user.typed = "notes.txt";
    w->IM_Load->trigger();
    EXPECT_EQ(w->Chosen_File, QDir::currentPath() + "/notes.txt");
    EXPECT_FALSE(QFile::exists(file("notes.txt")));
    user.typed.clear();
    w->IM_Load->trigger();
    EXPECT_EQ(w->Chosen_File, "");
    EXPECT_EQ(folderEntries(dir.path()), QStringList{"profile.dat"});
}

// Whatever stops the write, the user is told which file and why, and an older file of that
// name survives byte for byte with no temporary file left beside it.
TEST_F(FilesMenu, FailedSaveTellsWhyAndKeepsTheOlderFile) {
    const std::string old = "1.0000000 2.0000000\r\n";
    auto writeOld = [&](const QString& path) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(old.data(), static_cast<qint64>(old.size()));
    };
    ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
    writeOld(file("locked/old.DAT"));
    ASSERT_EQ(::chmod(QFile::encodeName(file("locked")).constData(), 0555), 0);
    writeOld(file("readonly.DAT"));
    ASSERT_EQ(::chmod(QFile::encodeName(file("readonly.DAT")).constData(), 0444), 0);
    ASSERT_TRUE(QFile::link("/dev/full", file("full.dat")));

    struct Case {
        QString typed;
        QString chosen;
        const char* reason;
        bool hasOld;
    };
    const Case cases[] = {
        {file("missing/x"), file("missing/x.DAT"), "le dossier n'existe pas", false},
        {file("locked/old"), file("locked/old.DAT"), "le dossier est en lecture seule", true},
        {file("readonly"), file("readonly.DAT"), "le fichier est en lecture seule", true},
        {file("full.dat"), file("full.dat"), "le disque est plein", false},
    };
    ScriptedUser user(*w);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        const QString folder = QFileInfo(c.chosen).path();
        const QStringList entries = folderEntries(folder);
        user.typed = c.typed;
        user.warnings.clear();
        user.warningTitles.clear();
        EXPECT_FALSE(w->Save_Couple(5));
        EXPECT_EQ(w->Chosen_File, c.chosen);
        ASSERT_EQ(user.warnings.size(), 1);
        EXPECT_EQ(user.warningTitles.front(), "Fichier Profil");
        EXPECT_TRUE(user.warnings.front().contains(c.chosen))
            << user.warnings.front().toStdString();
        EXPECT_TRUE(user.warnings.front().contains(QString::fromUtf8(c.reason)))
            << user.warnings.front().toStdString();
        if (c.hasOld) {
            EXPECT_EQ(fileBytes(c.chosen), old);
        }
        EXPECT_EQ(folderEntries(folder), entries);
    }
    EXPECT_TRUE(QFileInfo(file("full.dat")).isSymLink()) << "the link is not replaced";
    ::chmod(QFile::encodeName(file("locked")).constData(), 0755);
}

// Without a script standing in, the user sees a warning box naming the file and the reason.
TEST_F(FilesMenu, FailedSaveShowsAWarningBox) {
    w->fileDialogAnswer = [this](const QString&, const QString&, int) { return file("missing/f"); };
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll.stop();
            icon = box->icon();
            title = box->windowTitle();
            text = box->text();
            box->accept();
        }
    });
    poll.start();
    EXPECT_FALSE(w->Save_Couple(2));
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(title, "Fichier Profil");
    EXPECT_TRUE(text.contains(file("missing/f.DAT"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("le dossier n'existe pas"))) << text.toStdString();
    w->fileDialogAnswer = nullptr;
}

// A French user formats numbers with a comma, the file keeps its points.
TEST_F(FilesMenu, CommaDecimalLocaleStillWritesPoints) {
    ScriptedUser user(*w);
    user.typed = file("c.DAT");
    w->IM_Save_All->trigger();
    const std::string plain = fileBytes(file("c.DAT"));

    const std::string oldC = std::setlocale(LC_ALL, nullptr);
    const std::locale oldCpp;
    const QLocale oldQt;
    if (std::setlocale(LC_ALL, "fr_FR.UTF-8") == nullptr)
        GTEST_SKIP() << "fr_FR.UTF-8 is not generated here (scripts/install-deps.sh does it)";
    std::locale::global(std::locale("fr_FR.UTF-8"));
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    char c[16];
    std::snprintf(c, sizeof c, "%.1f", 0.5);
    const QString qt = QLocale().toString(0.5);

    user.typed = file("fr.DAT");
    w->IM_Save_All->trigger();
    const std::string french = fileBytes(file("fr.DAT"));

    QLocale::setDefault(oldQt);
    std::locale::global(oldCpp);
    std::setlocale(LC_ALL, oldC.c_str());
    ASSERT_STREQ(c, "0,5") << "the C library did not use the French locale";
    ASSERT_EQ(qt, "0,5") << "Qt did not use the French locale";
    EXPECT_EQ(french, plain);
    EXPECT_EQ(french.find(','), std::string::npos);
}

// "&Quitter" ends the event loop at once and takes every window with it; a question would
// hold the loop until the guard ends it with another status.
TEST_F(FilesMenu, QuitEndsTheProgramWithEveryWindow) {
    QWidget other; // another window of the program
    other.show();
    const bool quitOnLast = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false); // only an explicit quit ends the loop
    QTimer::singleShot(0, w->IM_Quit, &QAction::trigger);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(20000);
    const int status = QApplication::exec();
    QApplication::setQuitOnLastWindowClosed(quitOnLast);
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(other.isVisible());
}

// Closing the editor with its close box ends the program too, the 3-D window with it.
TEST_F(FilesMenu, ClosingTheEditorEndsTheProgram) {
    w->show();
    ASSERT_TRUE(w->frm3D);
    w->frm3D->show();
    const bool quitOnLast = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false); // only an explicit quit ends the loop
    QTimer::singleShot(0, w.get(), &QWidget::close);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(20000);
    const int status = QApplication::exec();
    QApplication::setQuitOnLastWindowClosed(quitOnLast);
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->frm3D->isVisible());
}

} // namespace
