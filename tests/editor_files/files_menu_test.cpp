#include "editor_test_support.h"

#include "editor/piece_size_dialog.h"
#include "export/piece_outline.h"
#include "files/couple_export.h"
#include "view3d/frm3d.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <clocale>
#include <cstdio>
#include <functional>
#include <locale>
#include <sys/stat.h>
#include <utility>

namespace {

// The bytes of a file, or "<missing>" when it cannot be read.
std::string fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<missing>";
}

// The entries of a folder, hidden ones included: a stray temporary file shows up here.
QStringList folderEntries(const QString& path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                QDir::NoDotAndDotDot);
}

// Calls `act` on the next modal widget of type T that opens while this lives.
template <class T> class ModalWatcher {
public:
    explicit ModalWatcher(std::function<void(T*)> act) : act_(std::move(act)) {
        poll_.setInterval(10);
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            if (auto* m = qobject_cast<T*>(QApplication::activeModalWidget())) {
                poll_.stop();
                act_(m);
            }
        });
        poll_.start();
    }

private:
    std::function<void(T*)> act_;
    QTimer poll_;
};

struct DialogSeen {
    bool shown = false;
    QString title;
    QStringList filters;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode fileMode = QFileDialog::Directory;
    QFileDialog::Options options;
    QString defaultSuffix;
};

// Acts as the user on the next real file dialog: records how it looks, goes to `folder`, then
// types `typed` and presses Enter, or presses Escape when `typed` is empty.
struct FileDialogUser {
    FileDialogUser(const QString& folder, const QString& typed)
        : watcher([this, folder, typed](QFileDialog* d) {
              seen = {true,          d->windowTitle(), d->nameFilters(),  d->acceptMode(),
                      d->fileMode(), d->options(),     d->defaultSuffix()};
              d->setDirectory(folder);
              auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
              if (!edit) {
                  ADD_FAILURE() << "no file name box";
                  d->reject();
                  return;
              }
              if (typed.isEmpty()) {
                  QTest::keyClick(edit, Qt::Key_Escape);
              } else {
                  QTest::keyClicks(edit, typed);
                  QTest::keyClick(edit, Qt::Key_Return);
              }
              // Still open a moment later: it asked something or refused the name. Close it
              // so the test cannot hang; the timer goes with the dialog once it is done.
              QTimer::singleShot(1000, d, [d] {
                  if (QWidget* m = QApplication::activeModalWidget(); m && m != d) {
                      ADD_FAILURE() << "the dialog asked: " << m->windowTitle().toStdString();
                      m->close();
                  }
                  ADD_FAILURE() << "the dialog did not take the name";
                  d->reject();
              });
          }) {}
    DialogSeen seen;
    ModalWatcher<QFileDialog> watcher;
};

// Runs the event loop after `start` until the program quits; 99 when only the guard ended it.
int runUntilQuit(const std::function<void()>& start) {
    const bool quitOnLast = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false); // only an explicit quit ends the loop
    QTimer::singleShot(0, start);
    QTimer guard; // scoped, so it never ends a later test's dialog
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(20000);
    const int status = QApplication::exec();
    QApplication::setQuitOnLastWindowClosed(quitOnLast);
    return status;
}

class FilesMenu : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        w = shownMain();
    }
    QString file(const QString& name) const { return dir.filePath(name); }
    void writeFile(const QString& name, const std::string& bytes) const {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    // Stands in for the user at the window's file dialogs (`typed`, a cancel when empty) and
    // records its warnings.
    void scriptDialogs() {
        w->fileDialogAnswer = [this](const QString&, const QString&, int) { return typed; };
        w->warningSink = [this](const QString&, const QString& text) { warnings << text; };
    }
    // The window's samples, as the files library takes them.
    OutlineInput outlineInput() const {
        const FormerModel& m = w->model();
        return {m.Courbe_Droite,
                m.Courbe_Gauche,
                m.Doublage_Droit,
                m.Doublage_Gauche,
                m.Nb_Points,
                m.Line4.Y1,
                w->Check4->isChecked() ? 1 : 0};
    }

    QTemporaryDir dir;
    QString typed;
    QStringList warnings;
    std::unique_ptr<Main> w; // last, so it goes before what its script refers to
};

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
        EXPECT_EQ(a->isSeparator(), expected[i].second == nullptr) << expected[i].first;
        EXPECT_EQ(a->text(), QString::fromUtf8(expected[i].second)) << expected[i].first;
    }
}

// Each item writes its own piece, reading the doubling check box; the toolbar's
// "Enregistrer le Projet" writes the whole former.
TEST_F(FilesMenu, EachSaveItemWritesItsPiece) {
    const std::pair<std::function<void()>, int> items[] = {
        {[&] { w->IM_Save_G->trigger(); }, 3},   {[&] { w->IM_Save_D->trigger(); }, 4},
        {[&] { w->IM_H->trigger(); }, 2},        {[&] { w->IM_B->trigger(); }, 1},
        {[&] { w->IM_Save_All->trigger(); }, 5}, {[&] { w->pb1(1)->click(); }, 5},
    };
    scriptDialogs();
    for (const bool doubling : {false, true}) {
        w->Check4->setChecked(doubling);
        w->DisegnaCurva();
        if (doubling) {
            ASSERT_NE(w->model().Doublage_Droit[3], w->model().Courbe_Droite[3]);
        }
        int k = 0;
        for (const auto& [trigger, code] : items) {
            SCOPED_TRACE("item " + std::to_string(k) + (doubling ? " with doubling" : ""));
            typed = file(QStringLiteral("%1_%2").arg(k++).arg(doubling));
            trigger();
            EXPECT_EQ(w->Chosen_File, typed + ".DAT");
            EXPECT_EQ(fileBytes(w->Chosen_File), coupleFileText(outlineInput(), code).text);
        }
    }
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
}

// A relative name is taken in the current folder before the extension rule looks at the whole
// path ("my.data" is enough); loading an existing file only records its name.
TEST_F(FilesMenu, NamesAreTakenInTheCurrentFolderAndLoadOnlyRecordsTheName) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("my.data"));
    const std::string junk = "9.0 9.0\r\nnot a profile\r\n";
    writeFile("profile.dat", junk);
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const QString cwd = QDir::currentPath();
    const FormerModel before = w->model();
    scriptDialogs();
    typed = "my.data/f2";
    w->IM_B->trigger();
    EXPECT_EQ(w->Chosen_File, cwd + "/my.data/f2");
    typed = "profile.dat";
    w->IM_Load->trigger();
    EXPECT_EQ(w->Chosen_File, cwd + "/profile.dat");
    QDir::setCurrent(old);
    EXPECT_EQ(fileBytes(file("my.data/f2")), coupleFileText(outlineInput(), 1).text);
    EXPECT_EQ(w->model().Pts_Couple, before.Pts_Couple);
    EXPECT_EQ(w->model().Courbe_Droite, before.Courbe_Droite);
    EXPECT_EQ(fileBytes(file("profile.dat")), junk);
}

// The real dialogs: a typed name gets the extension and replaces an existing file without an
// overwrite question; a cancel leaves an empty name and writes nothing.
TEST_F(FilesMenu, RealDialogsSaveReplaceCancelAndOpen) {
    const QString cwd = dir.path();
    writeFile("f1.DAT", "old\r\n");
    {
        FileDialogUser user(cwd, "f1");
        w->IM_Save_All->trigger();
        ASSERT_TRUE(user.seen.shown);
        EXPECT_EQ(user.seen.title, "Fichier Profil");
        EXPECT_EQ(user.seen.filters, QStringList{"Fichier Profil (*.DAT)"});
        EXPECT_EQ(user.seen.mode, QFileDialog::AcceptSave);
        EXPECT_EQ(user.seen.fileMode, QFileDialog::AnyFile);
        EXPECT_TRUE(user.seen.options.testFlag(QFileDialog::DontUseNativeDialog));
        EXPECT_TRUE(user.seen.options.testFlag(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(user.seen.defaultSuffix, "");
        EXPECT_EQ(w->Chosen_File, cwd + "/f1.DAT");
        EXPECT_EQ(fileBytes(w->Chosen_File), coupleFileText(outlineInput(), 5).text);
    }
    {
        FileDialogUser user(cwd, "");
        EXPECT_TRUE(w->Save_Couple(4));
        ASSERT_TRUE(user.seen.shown);
        EXPECT_EQ(w->Chosen_File, "");
    }
    // Opening takes any name as typed: no extension, no existence check.
    FileDialogUser user(cwd, "absent.txt");
    w->IM_Load->trigger();
    ASSERT_TRUE(user.seen.shown);
    EXPECT_EQ(user.seen.title, "Fichiers Profils");
    EXPECT_EQ(user.seen.filters, QStringList{"Fichiers Profils (*.dat)"});
    EXPECT_EQ(user.seen.mode, QFileDialog::AcceptOpen);
    EXPECT_EQ(w->Chosen_File, cwd + "/absent.txt");
    EXPECT_EQ(folderEntries(cwd), QStringList{"f1.DAT"});
    // The picture dialog of toolbar button 0, owned by the editor window.
    QImage plan(40, 30, QImage::Format_RGB32);
    plan.fill(Qt::white);
    ASSERT_TRUE(plan.save(file("plan.Bmp"), "BMP"));
    FileDialogUser picture(cwd, "plan.Bmp");
    w->pb1(0)->click();
    ASSERT_TRUE(picture.seen.shown);
    EXPECT_EQ(picture.seen.title, "Fichiers images");
    EXPECT_EQ(picture.seen.filters.size(), 3);
    EXPECT_EQ(picture.seen.mode, QFileDialog::AcceptOpen);
    EXPECT_TRUE(picture.seen.options.testFlag(QFileDialog::HideNameFilterDetails));
    EXPECT_EQ(w->PicturePath, cwd + "/plan.Bmp");
    EXPECT_EQ(w->ps.size(), QSize(40, 30));
}

// The user sees a warning box naming the file and the reason; the older file survives.
TEST_F(FilesMenu, FailedSaveShowsAWarningBoxAndKeepsTheOlderFile) {
    const std::string old = "1.0000000 2.0000000\r\n";
    writeFile("readonly.DAT", old);
    ASSERT_EQ(::chmod(QFile::encodeName(file("readonly.DAT")).constData(), 0444), 0);
    w->fileDialogAnswer = [this](const QString&, const QString&, int) { return file("readonly"); };
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    ModalWatcher<QMessageBox> watcher([&](QMessageBox* box) {
        icon = box->icon();
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    EXPECT_FALSE(w->Save_Couple(2));
    w->fileDialogAnswer = nullptr;
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(title, "Fichier Profil");
    EXPECT_TRUE(text.contains(file("readonly.DAT"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("le fichier est en lecture seule")))
        << text.toStdString();
    EXPECT_EQ(fileBytes(file("readonly.DAT")), old);
    EXPECT_EQ(folderEntries(dir.path()), QStringList{"readonly.DAT"});
}

// A French user formats numbers with a comma, the file keeps its points.
TEST_F(FilesMenu, CommaDecimalLocaleStillWritesPoints) {
    scriptDialogs();
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

    typed = file("fr.DAT");
    w->IM_Save_All->trigger();
    const std::string french = fileBytes(file("fr.DAT"));
    w->exportDialogAnswer = [] { return PieceSizeChoice{}; };
    typed = file("fr.DXF");
    w->IM_Export_DXF->trigger();
    const std::string frenchDxf = fileBytes(file("fr.DXF"));

    QLocale::setDefault(oldQt);
    std::locale::global(oldCpp);
    std::setlocale(LC_ALL, oldC.c_str());
    ASSERT_STREQ(c, "0,5") << "the C library did not use the French locale";
    ASSERT_EQ(qt, "0,5") << "Qt did not use the French locale";
    EXPECT_EQ(french, coupleFileText(outlineInput(), 5).text);
    EXPECT_EQ(french.find(','), std::string::npos);
    EXPECT_EQ(frenchDxf, pieceDxf(w->realSizePiece(5)));
    EXPECT_EQ(frenchDxf.find(','), std::string::npos);
}

// "&Outils" after "&MsPaint" and a separator: the real size dialog, where the other side
// follows the one typed until the proportions are let go, then the drawing under the name
// typed; printing draws the same page on the printer's sheet and refuses a piece too large.
TEST_F(FilesMenu, ToolsExportAPieceAtTheSizeTypedAndPrintIt) {
    const QList<QAction*> tools = w->IM_PREFER->actions();
    const qsizetype paint = tools.indexOf(w->IM_BACKCOLOR);
    ASSERT_GE(paint, 0);
    ASSERT_EQ(tools.size(), paint + 6);
    EXPECT_TRUE(tools[paint + 1]->isSeparator());
    const QAction* items[] = {w->IM_Export_SVG, w->IM_Export_DXF, w->IM_Export_PDF, w->IM_Print};
    const char* captions[] = {"Exporter en &SVG...", "Exporter en &DXF...", "Exporter en &PDF...",
                              "&Imprimer à l'échelle 1:1..."};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(tools[paint + 2 + k], items[k]);
        EXPECT_EQ(items[k]->text(), QString::fromUtf8(captions[k]));
    }

    scriptDialogs();
    const PieceOutline top = w->realSizePiece(2);
    const double ratio = top.height() / top.width();
    PieceSizeChoice chosen;
    double followed = 0.0;
    ModalWatcher<PieceSizeDialog> user([&](PieceSizeDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Exporter en SVG");
        EXPECT_NEAR(d->widthBox->value(), w->realSizePiece(5).width(), 0.005);
        d->pieceBox->setCurrentIndex(3); // "1/2 couple Haut"
        EXPECT_NEAR(d->heightBox->value(), top.height(), 0.005);
        d->widthBox->selectAll();
        QTest::keyClicks(d->widthBox, "150");
        followed = d->heightBox->value();
        chosen = d->choice();
        d->keepProportions->setChecked(false);
        d->heightBox->selectAll();
        QTest::keyClicks(d->heightBox, "40");
        EXPECT_DOUBLE_EQ(d->widthBox->value(), 150.0);
        d->accept();
    });
    typed = file("top");
    w->IM_Export_SVG->trigger();
    EXPECT_NEAR(followed, 150.0 * ratio, 0.005);
    EXPECT_EQ(chosen.width, 150.0);
    EXPECT_FALSE(chosen.height) << "the side that follows is left to the proportions";
    EXPECT_EQ(w->Chosen_File, file("top.SVG"));
    EXPECT_NE(fileBytes(file("top.SVG")).find(R"(width="150mm" height="40mm")"), std::string::npos);

    for (const double width : {100.0, 400.0}) {
        w->exportDialogAnswer = [width] { return PieceSizeChoice{5, width, {}}; };
        w->printDialogAnswer = [&](QPrinter& printer) {
            printer.setOutputFileName(file("printed.pdf"));
            return true;
        };
        warnings.clear();
        EXPECT_EQ(w->Export_Piece(Main::PieceFormat::Print), width < 200);
    }
    EXPECT_NE(fileBytes(file("printed.pdf")).rfind("%PDF", 0), std::string::npos);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith("La pièce mesure 400,00 × ")) << warnings[0].toStdString();
}

// "&Quitter" and the editor's close box end the program at once with every window; a question
// would hold the loop until the guard ends it with another status.
TEST_F(FilesMenu, QuitOrClosingTheEditorEndsTheProgram) {
    ASSERT_TRUE(w->frm3D);
    for (const bool quit : {true, false}) {
        SCOPED_TRACE(quit ? "&Quitter" : "close box");
        QWidget other; // another window of the program
        other.show();
        w->show();
        w->frm3D->show();
        EXPECT_EQ(runUntilQuit([&] { quit ? w->IM_Quit->trigger() : void(w->close()); }), 0);
        EXPECT_FALSE(w->isVisible());
        EXPECT_FALSE(w->frm3D->isVisible());
        if (quit) {
            EXPECT_FALSE(other.isVisible());
        }
    }
}

} // namespace
