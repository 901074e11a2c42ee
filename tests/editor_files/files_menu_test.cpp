#include "editing_test_support.h"

#include "editor/application.h"
#include "editor/frm_hlp.h"
#include "editor/fuselage_window.h"
#include "editor/notches_dialog.h"
#include "editor/number_box.h"
#include "editor/piece_size_dialog.h"
#include "editor/status_line.h"
#include "export/piece_outline.h"

#include "files/couple_export.h"
#include "session/project_document.h"
#include "view3d/frm3d.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <clocale>
#include <cstdio>
#include <functional>
#include <locale>
#include <sys/stat.h>
#include <tuple>
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
        writeScratchFile(file(name), QByteArray::fromStdString(bytes));
    }
    // Stands in for the user at the window's file dialogs (`typed`, a cancel when empty) and
    // records its warnings.
    void scriptDialogs() {
        w->dialogs.fileName = [this](const QString&, const QString&, int) { return typed; };
        w->dialogs.warning = [this](const QString&, const QString& text) { warnings << text; };
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
                w->ui().Check4->isChecked() ? 1 : 0};
    }

    QTemporaryDir dir;
    QString typed;
    QStringList warnings;
    std::unique_ptr<ScriptedEditor> w; // last, so it goes before what its script refers to
};

// Each item writes its own piece, reading the doubling check box; the toolbar's
// "Enregistrer le Projet" writes the whole former.
TEST_F(FilesMenu, EachSaveItemWritesItsPiece) {
    const std::pair<std::function<void()>, int> items[] = {
        {[&] { w->ui().IM_Save_G->trigger(); }, 3},   {[&] { w->ui().IM_Save_D->trigger(); }, 4},
        {[&] { w->ui().IM_H->trigger(); }, 2},        {[&] { w->ui().IM_B->trigger(); }, 1},
        {[&] { w->ui().IM_Save_All->trigger(); }, 5}, {[&] { w->ui().pb1(1)->click(); }, 5},
    };
    scriptDialogs();
    for (const bool doubling : {false, true}) {
        if (w->ui().Check4->isChecked() != doubling)
            userClick(w->ui().Check4);
        if (doubling) {
            ASSERT_NE(w->model().Doublage_Droit[3], w->model().Courbe_Droite[3]);
        }
        int k = 0;
        for (const auto& [trigger, code] : items) {
            SCOPED_TRACE("item " + std::to_string(k) + (doubling ? " with doubling" : ""));
            typed = file(QStringLiteral("%1_%2").arg(k++).arg(doubling));
            trigger();
            EXPECT_EQ(w->Chosen_File(), typed + ".DAT");
            EXPECT_EQ(fileBytes(w->Chosen_File()), coupleFileText(outlineInput(), code).text);
        }
    }
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
}

// The real dialogs: a typed name gets the extension, and the dialog itself asks nothing (the
// editor asks once the extension is added: a script answers yes); a cancel leaves an empty name
// and writes nothing; loading a profile only records its name, the work and the file stay as
// they were.
TEST_F(FilesMenu, RealDialogsSaveReplaceCancelAndOpen) {
    const QString cwd = dir.path();
    writeFile("f1.DAT", "old\r\n");
    {
        FileDialogUser user(cwd, "f1");
        w->ui().IM_Save_All->trigger();
        ASSERT_TRUE(user.seen.shown);
        EXPECT_EQ(user.seen.title, "Fichier Profil");
        EXPECT_EQ(user.seen.filters, QStringList{"Fichier Profil (*.DAT)"});
        EXPECT_EQ(user.seen.mode, QFileDialog::AcceptSave);
        EXPECT_EQ(user.seen.fileMode, QFileDialog::AnyFile);
        EXPECT_TRUE(user.seen.options.testFlag(QFileDialog::DontUseNativeDialog));
        EXPECT_TRUE(user.seen.options.testFlag(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(user.seen.defaultSuffix, "");
        EXPECT_EQ(w->Chosen_File(), cwd + "/f1.DAT");
        EXPECT_EQ(fileBytes(w->Chosen_File()), coupleFileText(outlineInput(), 5).text);
    }
    {
        FileDialogUser user(cwd, "");
        EXPECT_TRUE(w->Save_Couple(4));
        ASSERT_TRUE(user.seen.shown);
        EXPECT_EQ(w->Chosen_File(), "");
    }
    // Opening takes any name as typed: no extension, no existence check.
    const std::string junk = "9.0 9.0\r\nnot a profile\r\n";
    writeFile("profile.dat", junk);
    const EditorState before = w->editorState();
    FileDialogUser user(cwd, "profile.dat");
    w->ui().IM_Load->trigger();
    ASSERT_TRUE(user.seen.shown);
    EXPECT_EQ(user.seen.title, "Fichiers Profils");
    EXPECT_EQ(user.seen.filters, QStringList{"Fichiers Profils (*.dat)"});
    EXPECT_EQ(user.seen.mode, QFileDialog::AcceptOpen);
    EXPECT_EQ(user.seen.fileMode, QFileDialog::AnyFile);
    EXPECT_EQ(w->Chosen_File(), cwd + "/profile.dat");
    EXPECT_TRUE(w->editorState() == before);
    EXPECT_EQ(fileBytes(file("profile.dat")), junk);
    EXPECT_EQ(folderEntries(cwd), (QStringList{"f1.DAT", "profile.dat"}));
    // The picture dialog of toolbar button 0, owned by the editor window.
    ASSERT_TRUE(plainPicture({40, 30}, Qt::white).save(file("plan.Bmp"), "BMP"));
    FileDialogUser picture(cwd, "plan.Bmp");
    w->ui().pb1(0)->click();
    ASSERT_TRUE(picture.seen.shown);
    EXPECT_EQ(picture.seen.title, "Fichiers images");
    EXPECT_EQ(picture.seen.filters.size(), 3);
    EXPECT_EQ(picture.seen.mode, QFileDialog::AcceptOpen);
    EXPECT_TRUE(picture.seen.options.testFlag(QFileDialog::HideNameFilterDetails));
    EXPECT_EQ(w->PicturePath(), cwd + "/plan.Bmp");
    EXPECT_EQ(w->ps().size(), QSize(40, 30));
}

// Nothing is replaced unasked: every save and export asks before it replaces a file, about the
// files it would write (a sheet's numbered file, not the name typed), and a refusal leaves the
// old file byte for byte, as a cancel does. A file that is not there is not asked about.
TEST_F(FilesMenu, EverySaveAsksBeforeReplacingAFile) {
    scriptDialogs();
    w->statusLine().setPassingTime(std::chrono::hours(1)); // what was written stays said
    w->dialogs.pieceSize = [] { return std::optional<PieceSizeChoice>(PieceSizeChoice{}); };
    auto sheetsAs = [this](SheetsFormat format) {
        w->dialogs.exportAll = [format](const ExportAllChoice& last) {
            ExportAllChoice c = last;
            c.format = format;
            return std::optional<ExportAllChoice>(c);
        };
    };
    const struct {
        const char* what;
        std::function<void()> save;
        const char* typed;
        const char* title; // of the save dialog, which the question bears
        QStringList written;
    } rows[] = {
        {"a profile",
         [&] { w->ui().IM_Save_All->trigger(); },
         "profil",
         "Fichier Profil",
         {"profil.DAT"}},
        {"the toolbar's profile",
         [&] { w->ui().pb1(1)->click(); },
         "barre",
         "Fichier Profil",
         {"barre.DAT"}},
        {"a project",
         [&] { w->ui().IM_Couple_SaveAs->trigger(); },
         "projet",
         "Couple",
         {"projet.couple"}},
        {"an SVG piece",
         [&] { w->ui().IM_Export_SVG->trigger(); },
         "piece",
         "Fichier SVG",
         {"piece.SVG"}},
        {"a DXF piece",
         [&] { w->ui().IM_Export_DXF->trigger(); },
         "piece",
         "Fichier DXF",
         {"piece.DXF"}},
        {"a PDF piece",
         [&] { w->ui().IM_Export_PDF->trigger(); },
         "piece",
         "Fichier PDF",
         {"piece.PDF"}},
        {"the sheets as DXF",
         [&] {
             sheetsAs(SheetsFormat::Dxf);
             w->ui().IM_Export_All->trigger();
         },
         "plaques",
         "Fichier DXF",
         {"plaques.DXF"}},
        {"the sheets as SVG, numbered",
         [&] {
             sheetsAs(SheetsFormat::Svg);
             w->ui().IM_Export_All->trigger();
         },
         "plaques",
         "Fichier SVG",
         {"plaques-1.SVG"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        typed = file(QString::fromUtf8(row.typed));
        QStringList asked;
        bool answer = false;
        w->dialogs.replace = [&](const QString& title, const QStringList& names) {
            EXPECT_EQ(title, QString::fromUtf8(row.title));
            asked << names;
            return answer;
        };
        for (const QString& name : row.written)
            QFile::remove(file(name));
        row.save(); // nothing there: nothing asked
        EXPECT_EQ(asked, QStringList{});
        const std::string old = "l'ancien fichier, octet pour octet\r\n";
        for (const QString& name : row.written) {
            EXPECT_NE(fileBytes(file(name)), "<missing>");
            writeFile(name, old);
        }
        const QStringList before = folderEntries(dir.path());
        const QString status = w->statusText();
        row.save(); // kept
        EXPECT_EQ(asked, row.written);
        for (const QString& name : row.written)
            EXPECT_EQ(fileBytes(file(name)), old) << name.toStdString();
        EXPECT_EQ(folderEntries(dir.path()), before) << "nothing written aside either";
        EXPECT_EQ(w->Chosen_File(), "");
        EXPECT_EQ(w->statusText(), status) << "nothing said written";
        asked.clear();
        answer = true;
        row.save(); // replaced
        EXPECT_EQ(asked, row.written);
        for (const QString& name : row.written)
            EXPECT_NE(fileBytes(file(name)), old) << name.toStdString();
    }
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();

    // A person is asked by Qt's own question, in French, under the dialog's title; "Non" keeps.
    QtUserDialogs person;
    person.attach(w.get());
    QString title, question;
    ModalWatcher<QMessageBox> user([&](QMessageBox* box) {
        title = box->windowTitle();
        question = box->text();
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No)) << "keeping is the default";
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(person.askReplace("Fichier Profil", {"profil.DAT"}));
    EXPECT_EQ(title, "Fichier Profil");
    EXPECT_EQ(question, "Le fichier profil.DAT existe déjà\nVoulez-vous l'écraser ?");
    EXPECT_EQ(
        QtUserDialogs::replaceQuestion({"plaques-1.SVG", "plaques-2.SVG"}),
        "Ces fichiers existent déjà :\nplaques-1.SVG\nplaques-2.SVG\nVoulez-vous les écraser ?");
}

// Qt's own texts speak French whatever the desktop's language: each row is a text Qt shows, as
// read from its widget, with Qt's English default it must not be.
TEST_F(FilesMenu, QtOwnDialogsAndButtonsSpeakFrench) {
    if (QCoreApplication::translate("QPlatformTheme", "&Yes") == "&Yes") { // not French yet
        EXPECT_FALSE(useFrenchQtTexts(dir.filePath("no-catalogue")))
            << "a missing catalogue is no error, Qt stays English";
    }
    ASSERT_TRUE(useFrenchQtTexts()) << "Qt's French catalogue (qt6-translations-l10n) is missing";
    EXPECT_EQ(QLocale().toString(0.5), "0,5");
    EXPECT_EQ(Main::pointerText(0.5f), "0" + QLocale::system().decimalPoint() + "5")
        << "the coordinates keep the desktop's format";

    // What the user reads, by where it is: one text from each of Qt's translated parts, the file
    // dialog, its buttons and its list, the message box and the text box's menu.
    std::map<QString, QString> seen;
    QString filter;
    ModalWatcher<QFileDialog> dialog([&](QFileDialog* d) {
        if (const auto* label = d->findChild<QLabel*>("lookInLabel"))
            seen["Look in:"] = label->text();
        if (auto* box = d->findChild<QDialogButtonBox*>("buttonBox"))
            seen["&Save"] = box->button(QDialogButtonBox::Save)->text();
        if (auto* tree = d->findChild<QTreeView*>("treeView"))
            seen["Name"] = tree->model()->headerData(0, Qt::Horizontal).toString();
        if (auto* combo = d->findChild<QComboBox*>("fileTypeCombo"))
            filter = combo->currentText();
        d->reject();
    });
    w->ui().IM_Save_All->trigger();
    EXPECT_EQ(filter, "Fichier Profil") << "the description alone";

    QMessageBox box(QMessageBox::Question, "", "",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    seen["&Yes"] = box.button(QMessageBox::Yes)->text();
    // The text box's own menu, in Qt's order: undo, redo, cut, copy, paste, delete, select all.
    const std::unique_ptr<QMenu> menu(w->ui().lblX->createStandardContextMenu());
    QStringList items;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            items << a->text().section('\t', 0, 0); // without the shortcut
    ASSERT_EQ(items.size(), 7);
    seen["&Copy"] = items[3];

    for (const char* english : {"Look in:", "&Save", "Name", "&Yes", "&Copy"}) {
        const QString french = seen[english];
        EXPECT_FALSE(french.isEmpty()) << english;
        EXPECT_NE(french, english) << english;
    }
    EXPECT_EQ(seen["&Yes"], "&Oui");
}

// A save that fails shows the user a warning box naming the file (the reason, and the older file
// kept, are the safe writer's).
TEST_F(FilesMenu, FailedSaveShowsAWarningBoxNamingTheFile) {
    writeFile("readonly.DAT", "1.0000000 2.0000000\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(file("readonly.DAT")).constData(), 0444), 0);
    w->dialogs.fileName = [this](const QString&, const QString&, int) { return file("readonly"); };
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
    w->dialogs.fileName = nullptr;
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(title, "Fichier Profil");
    EXPECT_TRUE(text.contains(file("readonly.DAT"))) << text.toStdString();
}

// The files do not depend on the desktop's language: a French desktop formats numbers with a
// comma, an English one with a point, and the interface is French for both.
TEST_F(FilesMenu, EveryDesktopLocaleWritesTheSameFile) {
    scriptDialogs();
    useFrenchQtTexts();
    const std::string oldC = std::setlocale(LC_ALL, nullptr);
    const std::locale oldCpp;
    const std::string expected = coupleFileText(outlineInput(), 5).text;
    const std::string expectedDxf = pieceDxf(w->session().realSizePiece(5));
    w->dialogs.pieceSize = [] { return PieceSizeChoice{}; };
    for (const char* name : {"C.UTF-8", "en_US.UTF-8", "fr_FR.UTF-8"}) {
        SCOPED_TRACE(name);
        if (std::setlocale(LC_ALL, name) == nullptr) {
            ADD_FAILURE() << name << " is not generated here (scripts/install-deps.sh does it)";
            continue;
        }
        std::locale::global(std::locale(name));
        char c[16];
        std::snprintf(c, sizeof c, "%.1f", 0.5);
        EXPECT_STREQ(c, name[0] == 'f' ? "0,5" : "0.5") << "the C library uses it";
        typed = file(QStringLiteral("%1.DAT").arg(name));
        w->ui().IM_Save_All->trigger();
        EXPECT_EQ(fileBytes(typed), expected);
        typed = file(QStringLiteral("%1.DXF").arg(name));
        w->ui().IM_Export_DXF->trigger();
        EXPECT_EQ(fileBytes(typed), expectedDxf);
    }
    std::locale::global(oldCpp);
    std::setlocale(LC_ALL, oldC.c_str());
    EXPECT_EQ(expected.find(','), std::string::npos);
    EXPECT_EQ(expectedDxf.find(','), std::string::npos);
}

// The real size dialog of "&Outils", where the other side follows the one typed until the
// proportions are let go, then the drawing under the name typed; printing uses the sheet chosen,
// shares a larger piece among sheets and refuses one that would take more than 25.
TEST_F(FilesMenu, ToolsExportAPieceAtTheSizeTypedAndPrintIt) {
    scriptDialogs();
    const PieceOutline top = w->session().realSizePiece(2);
    const double ratio = top.height() / top.width();
    PieceSizeChoice chosen;
    double followed = 0.0;
    ModalWatcher<PieceSizeDialog> user([&](PieceSizeDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Exporter en SVG");
        EXPECT_FALSE(d->pageBox->isVisible()) << "no sheet for a drawing file";
        EXPECT_NEAR(d->widthBox->value(), w->session().realSizePiece(5).width(), 0.005);
        d->pieceBox->setCurrentIndex(3); // "1/2 couple Haut"
        EXPECT_NEAR(d->heightBox->value(), top.height(), 0.005);
        // Tab leaves the box only where the focus is: in the active window.
        EXPECT_TRUE(focusAsTheUser(d->widthBox));
        d->widthBox->selectAll();
        QTest::keyClicks(d->widthBox, "150");
        EXPECT_NEAR(d->heightBox->value(), top.height(), 0.005) << "nothing taken before Tab";
        QTest::keyClick(d->widthBox, Qt::Key_Tab);
        followed = d->heightBox->value();
        chosen = d->choice();
        d->keepProportions->setChecked(false);
        EXPECT_TRUE(focusAsTheUser(d->heightBox));
        d->heightBox->selectAll();
        QTest::keyClicks(d->heightBox, "40");
        EXPECT_DOUBLE_EQ(d->widthBox->value(), 150.0);
        d->accept();
    });
    typed = file("top");
    w->ui().IM_Export_SVG->trigger();
    EXPECT_NEAR(followed, 150.0 * ratio, 0.005);
    EXPECT_EQ(chosen.width, 150.0);
    EXPECT_FALSE(chosen.height) << "the side that follows is left to the proportions";
    EXPECT_EQ(w->Chosen_File(), file("top.SVG"));
    EXPECT_NE(fileBytes(file("top.SVG")).find(R"(width="150mm" height="40mm")"), std::string::npos);

    // Printed on the sheet chosen, shared among sheets when larger (but for the sheet in the
    // middle of the 3 x 3, inside the former, with nothing to cut), refused beyond 25 sheets.
    const struct {
        double width;
        Sheet page;
        int sheets; // 0: refused
    } prints[] = {{100.0, Sheet::A4Portrait, 1},
                  {400.0, Sheet::A4Portrait, 8},
                  {400.0, Sheet::A3Landscape, 3},
                  {2000.0, Sheet::A4Portrait, 0}};
    static const QRegularExpression page(QStringLiteral("/Type /Page[^s]"));
    for (const auto& row : prints) {
        SCOPED_TRACE(testing::Message() << row.width << " mm on " << sheetName(row.page));
        w->dialogs.pieceSize = [&row] { return PieceSizeChoice{5, row.width, {}, row.page}; };
        const QString printed = file(QStringLiteral("printed%1.pdf").arg(row.width));
        w->dialogs.printer = [&](QPrinter& printer) {
            EXPECT_EQ(printer.pageLayout().fullRect(QPageLayout::Millimeter).width(),
                      sheetSize(row.page).width);
            printer.setOutputFileName(printed);
            return true;
        };
        warnings.clear();
        EXPECT_EQ(w->Export_Piece(Main::PieceFormat::Print), row.sheets > 0);
        EXPECT_EQ(QString::fromStdString(fileBytes(printed)).count(page), row.sheets);
        EXPECT_EQ(warnings.size(), row.sheets > 0 ? 0 : 1);
    }
    ASSERT_FALSE(warnings.isEmpty());
    EXPECT_TRUE(warnings[0].startsWith("La pièce mesure 2000,00 × ")) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains("pages de 210 × 297 mm")) << warnings[0].toStdString();
}

// Some work: the doubling on and decoupled, a point dragged and one pinned.
void shapeSomeWork(Main& w, double y) {
    if (!w.ui().Check4->isChecked())
        w.ui().Check4->click();
    w.ui().Option6->click();
    dragHandle(w, w.model().shppi[3], {100.0, y});
    press(w, centreOf(w.model(), w.model().shppi[5]), Qt::RightButton);
    release(w, {0.0, 0.0}, Qt::RightButton);
}

// The work saved as a project, the editor left, and the file opened again the next day: the
// fresh window carries on exactly. The caption names the file and marks unsaved changes, and
// leaving or opening another file asks first.
TEST_F(FilesMenu, AProjectSavedAndOpenedAgainCarriesOnExactly) {
    scriptDialogs();
    EXPECT_EQ(w->windowTitle(), "EDITEUR de COUPLES");
    shapeSomeWork(*w, 40.0);
    typed = file("work");
    w->ui().IM_Couple_SaveAs->trigger();
    ASSERT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
    const QString saved = file("work.couple");
    EXPECT_EQ(w->projectFile(), saved);
    EXPECT_EQ(w->windowTitle(), "EDITEUR de COUPLES - work.couple[*]");
    EXPECT_FALSE(w->session().modified());
    const std::string firstSave = fileBytes(saved);

    shapeSomeWork(*w, 30.0);
    QApplication::processEvents(); // the marker follows once the action is done
    EXPECT_TRUE(w->isWindowModified());
    typed.clear(); // "&Enregistrer le couple" asks for no name
    w->ui().IM_Couple_Save->trigger();
    EXPECT_FALSE(w->session().modified());
    EXPECT_NE(fileBytes(saved), firstSave);

    auto next = shownMain();
    next->dialogs.fileName = [&saved](const QString&, const QString&, int) { return saved; };
    next->ui().IM_Couple_Open->trigger();
    EXPECT_TRUE(next->editorState() == w->editorState());
    EXPECT_EQ(next->windowTitle(), "EDITEUR de COUPLES - work.couple[*]");
    EXPECT_FALSE(next->session().modified());

    // Unsaved changes: "Annuler" keeps everything, "Ne pas enregistrer" sets them aside and
    // "Enregistrer" writes them first.
    shapeSomeWork(*next, 60.0);
    const EditorState changed = next->editorState();
    QStringList asked;
    SaveAnswer answer = SaveAnswer::Cancel;
    next->dialogs.saveChanges = [&](const QString& text) {
        asked << text;
        return answer;
    };
    next->ui().IM_Couple_Open->trigger();
    EXPECT_TRUE(next->editorState() == changed);
    EXPECT_EQ(asked, QStringList{"Enregistrer les modifications ?"});
    answer = SaveAnswer::Discard;
    next->ui().IM_Couple_Open->trigger();
    EXPECT_TRUE(next->editorState() == w->editorState());
    shapeSomeWork(*next, 60.0);
    answer = SaveAnswer::Save;
    next->ui().IM_Couple_Open->trigger();
    EXPECT_TRUE(next->editorState() == changed);
    EXPECT_EQ(asked.size(), 3);
}

// A project opens with its own picture, read from its file: the one shown before goes. A
// picture that cannot be read any more leaves the work opened, the display off, and a warning.
TEST_F(FilesMenu, AProjectOpensWithItsOwnPicture) {
    scriptDialogs();
    const QString planA = file("a.bmp"), planB = file("b.bmp");
    ASSERT_TRUE(plainPicture({300, 200}, Qt::blue).save(planA));
    ASSERT_TRUE(plainPicture({300, 200}, Qt::red).save(planB));
    choosePicture(*w, planA);
    scriptDialogs();
    typed = file("traced");
    w->ui().IM_Couple_SaveAs->trigger();
    const EditorState saved = w->editorState();
    choosePicture(*w, planB);
    scriptDialogs();
    ASSERT_EQ(w->ps().pixelColor(10, 10), QColor(Qt::red));

    typed = file("traced.couple");
    w->dialogs.saveChanges = [](const QString&) { return SaveAnswer::Discard; };
    w->ui().IM_Couple_Open->trigger();
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
    EXPECT_EQ(w->PicturePath(), planA);
    EXPECT_EQ(w->ps().pixelColor(10, 10), QColor(Qt::blue));
    EXPECT_EQ(w->ui().Picture1->pictureLayer().pixelColor(4, 40), QColor(Qt::blue));

    QFile::remove(planA);
    w->ui().IM_Couple_Open->trigger();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(planA) && warnings[0].contains("introuvable"))
        << warnings[0].toStdString();
    EXPECT_EQ(w->projectFile(), file("traced.couple"));
    EXPECT_FALSE(w->pictureOn());
    EXPECT_TRUE(w->ps().isNull());
    EXPECT_EQ(w->ui().Picture1->pictureLayer().pixelColor(4, 40), QColor(Qt::black));
    EditorState expected = saved;
    expected.view.pictureShown = false;
    EXPECT_TRUE(w->editorState() == expected);

    // A file that is no project is refused with its name and the reason; the work stays.
    writeFile("profile.couple", "0.0000000 0.0000000\r\n");
    warnings.clear();
    typed = file("profile.couple");
    w->ui().IM_Couple_Open->trigger();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(QDir::toNativeSeparators(typed)) &&
                warnings[0].contains("JSON"))
        << warnings[0].toStdString();
    EXPECT_TRUE(w->editorState() == expected);
    EXPECT_EQ(w->projectFile(), file("traced.couple"));
}

// "&Quitter" and the editor's close box end the program at once with every window, the about
// window and the guide included; a question would hold the loop until the guard ends it with
// another status.
TEST_F(FilesMenu, QuitOrClosingTheEditorEndsTheProgram) {
    ASSERT_TRUE(w->frm3D());
    for (const bool quit : {true, false}) {
        SCOPED_TRACE(quit ? "&Quitter" : "close box");
        QWidget other; // another window of the program
        other.show();
        w->show();
        w->frm3D()->show();
        w->ui().IM_HRELP->trigger();
        EXPECT_EQ(runUntilQuit([&] {
                      if (!quit) {
                          w->close();
                          return;
                      }
                      // Chosen while the about window is open.
                      QTimer::singleShot(0, w.get(), [&] { w->ui().IM_Quit->trigger(); });
                      w->ui().IM_ABOUT->trigger();
                  }),
                  0);
        EXPECT_FALSE(w->isVisible());
        EXPECT_FALSE(w->frm3D()->isVisible());
        EXPECT_EQ(w->aboutWindow(), nullptr);
        if (quit) {
            EXPECT_FALSE(other.isVisible());
            EXPECT_FALSE(w->helpWindow()->isVisible());
        }
    }
}

// With unsaved changes to a project file, leaving asks first; "Annuler" keeps the editor open.
TEST_F(FilesMenu, QuitWithUnsavedChangesToAProjectAsksFirst) {
    scriptDialogs();
    typed = file("work");
    w->ui().IM_Couple_SaveAs->trigger();
    shapeSomeWork(*w, 40.0);
    for (const bool quit : {false, true}) {
        SCOPED_TRACE(quit ? "&Quitter" : "close box");
        w->show();
        int asked = 0;
        SaveAnswer answer = SaveAnswer::Cancel;
        w->dialogs.saveChanges = [&](const QString&) {
            ++asked;
            return answer;
        };
        quit ? w->ui().IM_Quit->trigger() : void(w->close());
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(asked, 1);
        answer = SaveAnswer::Discard;
        EXPECT_EQ(runUntilQuit([&] { quit ? w->ui().IM_Quit->trigger() : void(w->close()); }), 0);
        EXPECT_EQ(asked, 2) << "asked once";
        EXPECT_FALSE(w->isVisible());
    }
}

// "&Outils" › "&Lisses et encoches...": the window shows the session's table and edits it
// through the session, a cell typed in place ("," or ".") being one step; a value refused is
// told in red and the cell shows the table's value again; undo shows in the window; an export
// of a former with a notch left out asks first, and "Non" writes nothing.
TEST_F(FilesMenu, TheNotchesWindowEditsTheFuselagesTableThroughTheSession) {
    scriptDialogs();
    w->ui().IM_Notches->trigger();
    NotchesDialog& d = *w->notchesDialog();
    ASSERT_TRUE(d.isVisible());
    EXPECT_EQ(d.windowTitle(), "Lisses et encoches");
    EXPECT_EQ(d.newName->text(), "L1");
    EXPECT_TRUE(d.newBothSides->isChecked()) << "both sides at first";
    d.cmdAjouter->click();
    ASSERT_EQ(w->session().notchTable().stringers.size(), 1u);
    EXPECT_EQ(d.stringerTable->rowCount(), 1);
    EXPECT_EQ(d.newName->text(), "L2") << "the next free name offered";
    const int steps = w->session().history().count();

    d.stringerTable->item(0, 1)->setText(QStringLiteral("0,7"));
    EXPECT_EQ(w->session().notchTable().stringers[0].place, 0.7);
    EXPECT_EQ(w->session().history().count(), steps + 1);
    d.stringerTable->item(0, 2)->setText(QStringLiteral("45"));
    EXPECT_EQ(w->session().notchTable().stringers[0].width, 3.0);
    EXPECT_FALSE(d.message->isHidden());
    EXPECT_TRUE(d.message->text().contains("45")) << d.message->text().toStdString();
    EXPECT_EQ(d.stringerTable->item(0, 2)->text(), "3");
    EXPECT_EQ(w->session().history().count(), steps + 1);

    w->ui().IM_Undo->trigger();
    EXPECT_EQ(d.stringerTable->item(0, 1)->text(), "0,5");

    // A notch deeper than the ring is wide, with the doubling drawn: left out, told, asked.
    w->ui().Check4->click();
    d.newName->setText("L9");
    d.newDepth->setValue(20.0);
    d.newPlace->setValue(0.5);
    d.cmdAjouter->click();
    ASSERT_EQ(d.lstRefusals->count(), 1);
    EXPECT_EQ(d.lstRefusals->item(0)->text(), "L9 traverse le doublage de F1");
    EXPECT_EQ(w->statusText(), "L9 traverse le doublage de F1");
    QStringList asked;
    w->dialogs.confirmation = [&asked](const QString& text) {
        asked << text;
        return false;
    };
    typed = file("entier");
    w->ui().IM_Export_DXF->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains("L9 traverse le doublage de F1"));
    EXPECT_FALSE(QFile::exists(file("entier.DXF")));
}

// "&Aide" › "&Aide" shows the guide beside the editor, which stays usable; "&A propos" shows a
// fresh about window at each opening, modal until "&OK" closes it.
TEST_F(FilesMenu, HelpMenuShowsTheGuideAndAFreshModalAboutWindow) {
    w->ui().IM_HRELP->trigger();
    QTextBrowser* guide = w->helpWindow();
    ASSERT_NE(guide, nullptr);
    EXPECT_TRUE(guide->isVisible());
    EXPECT_TRUE(guide->isWindow());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // The guide names every button of both windows as its tooltip does, and every menu and
    // menu item as the menu shows it, without its "&" and its "...": a new one needs its entry.
    QStringList names;
    for (int i : Main::pb1Indices())
        names << w->ui().pb1(i)->toolTip();
    for (int i = 0; i <= 6; ++i)
        for (QToolButton* b : {w->frm3D()->pb1(i), w->frm3D()->pb2(i)})
            if (b)
                names << b->toolTip();
    EXPECT_EQ(names.size(), 19);
    names << w->ui().cmdFit->toolTip(); // "Ajuster", after the toolbar's indices
    // The buttons of the panel "Couples" by their captions.
    for (const QPushButton* b :
         {w->ui().cmdNouveau, w->ui().cmdDupliquer, w->ui().cmdRenommer, w->ui().cmdSupprimer})
        names << b->text();
    // The window "Lisses et encoches" and the choices of the export dialogs.
    const NotchesDialog& notches = *w->notchesDialog();
    for (const QAbstractButton* b : {static_cast<QAbstractButton*>(notches.cmdAjouter),
                                     static_cast<QAbstractButton*>(notches.cmdSupprimerLisse),
                                     static_cast<QAbstractButton*>(notches.cmdPoser),
                                     static_cast<QAbstractButton*>(notches.cmdRetirer),
                                     static_cast<QAbstractButton*>(notches.newBothSides)})
        names << b->text();
    names << QStringLiteral("Version DXF") << QStringLiteral("Pages à la taille de la plaque");
    // The window "Fuselage"'s buttons, without their "...".
    for (const QPushButton* b : w->fuselageWindow()->findChildren<QPushButton*>())
        names << b->text().remove(QLatin1String("..."));
    std::function<void(const QList<QAction*>&)> addItems = [&](const QList<QAction*>& items) {
        for (QAction* a : items) {
            if (a->isSeparator())
                continue;
            QString caption = a->text().remove('&');
            if (caption.endsWith(QLatin1String("...")))
                caption.chop(3);
            names << caption;
            if (a->menu())
                addItems(a->menu()->actions());
        }
    };
    addItems(w->menuBar()->actions());
    EXPECT_GE(names.size(), 19 + 4 + 4 + 21) << "the four menus and their items";
    const QString text = guide->toPlainText().replace(QChar::Nbsp, ' ');
    for (const QString& name : names)
        EXPECT_TRUE(text.contains(name)) << name.toStdString();
    for (const char* topic : {".couple", "Ctrl+O", "Ctrl+S", "Ctrl+Z", "SVG", "DXF", "PDF",
                              "Du plan scanné au fichier de découpe", "Horiz", "Vert", "Zoom",
                              "Loupe", "Ctrl+0", "molette"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(topic))) << topic;
    w->ui().IM_HRELP->trigger();
    EXPECT_EQ(w->helpWindow(), guide);

    int openings = 0;
    for (int opening = 0; opening < 2; ++opening) {
        QPointer<FrmHlp> seen;
        ModalWatcher<FrmHlp> user([&](FrmHlp* about) {
            ++openings;
            seen = about;
            EXPECT_EQ(about, w->aboutWindow());
            EXPECT_TRUE(about->isModal());
            EXPECT_TRUE(about->Label2->text().contains(buildVersion()));
            EXPECT_TRUE(about->Label4->text().contains(QLatin1String(qVersion())));
            about->Command1->click();
        });
        w->ui().IM_ABOUT->trigger();
        EXPECT_EQ(openings, opening + 1);
        EXPECT_TRUE(seen.isNull()) << "closed with \"&OK\" and gone";
        EXPECT_EQ(w->aboutWindow(), nullptr);
    }
    EXPECT_FALSE(buildVersion().isEmpty());
}

} // namespace
