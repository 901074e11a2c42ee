#include "files_test_support.h"

#include "editor/file_dialog.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <utility>

namespace {

struct DialogSeen {
    bool shown = false;
    QString title;
    QStringList filters;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode fileMode = QFileDialog::Directory;
    QFileDialog::Options options;
    QString defaultSuffix;
};

// Acts as the user on the next file dialog a window opens while it lives: records how the
// dialog looks, goes to `folder`, then types `typed` and presses Enter, or presses Escape when
// `typed` is empty. Scoped to the test, so it never touches another test's dialogs.
class FileDialogUser {
public:
    FileDialogUser(QString folder, QString typed)
        : folder_(std::move(folder)), typed_(std::move(typed)) {
        poll_.setInterval(10);
        QObject::connect(&poll_, &QTimer::timeout, [this] { act(); });
        poll_.start();
    }

    DialogSeen seen;

private:
    void act() {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        poll_.stop();
        seen.shown = true;
        seen.title = d->windowTitle();
        seen.filters = d->nameFilters();
        seen.mode = d->acceptMode();
        seen.fileMode = d->fileMode();
        seen.options = d->options();
        seen.defaultSuffix = d->defaultSuffix();
        d->setDirectory(folder_);
        auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
        if (!edit) {
            ADD_FAILURE() << "no file name box";
            d->reject();
            return;
        }
        if (typed_.isEmpty()) {
            QTest::keyClick(edit, Qt::Key_Escape);
        } else {
            QTest::keyClicks(edit, typed_);
            QTest::keyClick(edit, Qt::Key_Return);
        }
        // A dialog still open a moment later asked something or refused the name: close it so
        // the test cannot hang. The timer goes with the dialog once the dialog is done.
        QTimer::singleShot(1000, d, [d] {
            if (QWidget* m = QApplication::activeModalWidget(); m && m != d) {
                ADD_FAILURE() << "the dialog asked: " << m->windowTitle().toStdString();
                m->close();
            }
            ADD_FAILURE() << "the dialog did not take the name";
            d->reject();
        });
    }

    QString folder_;
    QString typed_;
    QTimer poll_;
};

class RealFileDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        w = shownMain();
    }
    QTemporaryDir dir;
    std::unique_ptr<Main> w;
};

TEST_F(RealFileDialog, SaveDialogTakesATypedNameAndAddsTheExtension) {
    const QString cwd = dir.path();
    FileDialogUser user(cwd, "f1");
    const DialogSeen& seen = user.seen;
    w->IM_Save_All->trigger();
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, "Fichier Profil");
    EXPECT_EQ(seen.filters, QStringList{"Fichier Profil (*.DAT)"});
    EXPECT_EQ(seen.mode, QFileDialog::AcceptSave);
    EXPECT_EQ(seen.fileMode, QFileDialog::AnyFile);
    EXPECT_TRUE(seen.options.testFlag(QFileDialog::DontUseNativeDialog));
    EXPECT_TRUE(seen.options.testFlag(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(seen.defaultSuffix, "");
    EXPECT_EQ(w->Chosen_File, cwd + "/f1.DAT");
    EXPECT_EQ(fileBytes(w->Chosen_File), coupleFileText(outlineInput(*w), 5).text);

    // An existing file is chosen without an overwrite question and replaced.
    {
        QFile old(dir.filePath("old.DAT"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old\r\n");
    }
    FileDialogUser userAgain(cwd, "old.DAT");
    const DialogSeen& again = userAgain.seen;
    w->IM_H->trigger();
    ASSERT_TRUE(again.shown);
    EXPECT_EQ(w->Chosen_File, cwd + "/old.DAT");
    EXPECT_EQ(fileBytes(dir.filePath("old.DAT")), coupleFileText(outlineInput(*w), 2).text);
}

TEST_F(RealFileDialog, CancelLeavesAnEmptyNameAndWritesNothing) {
    w->Chosen_File = "earlier";
    FileDialogUser user(dir.path(), "");
    const DialogSeen& seen = user.seen;
    EXPECT_TRUE(w->Save_Couple(4));
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(w->Chosen_File, "");
    EXPECT_TRUE(folderEntries(dir.path()).isEmpty());
}

TEST_F(RealFileDialog, OpenDialogReturnsAnyTypedNameUnchanged) {
    FileDialogUser user(dir.path(), "absent.txt");
    const DialogSeen& seen = user.seen;
    w->IM_Load->trigger();
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, "Fichiers Profils");
    EXPECT_EQ(seen.filters, QStringList{"Fichiers Profils (*.dat)"});
    EXPECT_EQ(seen.mode, QFileDialog::AcceptOpen);
    EXPECT_EQ(w->Chosen_File, dir.path() + "/absent.txt") << "no existence check";
    EXPECT_TRUE(folderEntries(dir.path()).isEmpty());
}

} // namespace
