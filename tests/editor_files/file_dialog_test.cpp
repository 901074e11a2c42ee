#include "files_test_support.h"

#include "editor/file_dialog.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

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

// Acts as the user on the next file dialog a window opens: records how it looks, goes to the
// folder `folder`, then types `typed` and presses Enter, or presses Escape when `typed` is
// empty. A dialog that is still
// open afterwards (it asked something, or refused the name) is a failure and is closed, so the
// test cannot hang.
void onNextFileDialog(DialogSeen& seen, const QString& folder, const QString& typed) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, &seen, folder, typed] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!d) {
            if (++*tries > 1000) {
                poll->stop();
                poll->deleteLater();
            }
            return;
        }
        poll->stop();
        poll->deleteLater();
        seen.shown = true;
        seen.title = d->windowTitle();
        seen.filters = d->nameFilters();
        seen.mode = d->acceptMode();
        seen.fileMode = d->fileMode();
        seen.options = d->options();
        seen.defaultSuffix = d->defaultSuffix();
        d->setDirectory(folder);
        auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(edit, nullptr);
        if (typed.isEmpty()) {
            QTest::keyClick(edit, Qt::Key_Escape);
        } else {
            QTest::keyClicks(edit, typed);
            QTest::keyClick(edit, Qt::Key_Return);
        }
        const QPointer<QFileDialog> dialog(d);
        QTimer::singleShot(1000, [dialog] {
            if (QWidget* m = QApplication::activeModalWidget(); m && m != dialog.data()) {
                ADD_FAILURE() << "the dialog asked: " << m->windowTitle().toStdString();
                m->close();
            }
            if (dialog && dialog->isVisible()) {
                ADD_FAILURE() << "the dialog did not take the name";
                dialog->reject();
            }
        });
    });
    poll->start();
}

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
    DialogSeen seen;
    onNextFileDialog(seen, cwd, "f1");
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
    DialogSeen again;
    onNextFileDialog(again, cwd, "old.DAT");
    w->IM_H->trigger();
    ASSERT_TRUE(again.shown);
    EXPECT_EQ(w->Chosen_File, cwd + "/old.DAT");
    EXPECT_EQ(fileBytes(dir.filePath("old.DAT")), coupleFileText(outlineInput(*w), 2).text);
}

TEST_F(RealFileDialog, CancelLeavesAnEmptyNameAndWritesNothing) {
    w->Chosen_File = "earlier";
    DialogSeen seen;
    onNextFileDialog(seen, dir.path(), "");
    EXPECT_TRUE(w->Save_Couple(4));
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(w->Chosen_File, "");
    EXPECT_TRUE(folderEntries(dir.path()).isEmpty());
}

TEST_F(RealFileDialog, OpenDialogReturnsAnyTypedNameUnchanged) {
    DialogSeen seen;
    onNextFileDialog(seen, dir.path(), "absent.txt");
    w->IM_Load->trigger();
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, "Fichiers Profils");
    EXPECT_EQ(seen.filters, QStringList{"Fichiers Profils (*.dat)"});
    EXPECT_EQ(seen.mode, QFileDialog::AcceptOpen);
    EXPECT_EQ(w->Chosen_File, dir.path() + "/absent.txt") << "no existence check";
    EXPECT_TRUE(folderEntries(dir.path()).isEmpty());
}

} // namespace
