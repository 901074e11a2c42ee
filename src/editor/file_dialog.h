#pragma once

#include <QString>

#include <memory>

class QFileDialog;
class QWidget;

// The editor's chooser for its own file types: Qt's own dialog rather than the platform's, so
// that it looks the same everywhere and tests can drive it. One filter "Description (Pattern)",
// shown as its description alone, titled Description, open or save mode, no check that the file
// or its folder exists, a single file, and no suffix of the dialog's own: the program adds its
// default extension itself (chosenFileName), and only then asks before replacing a file (the
// dialog's own question would be about the name before its extension).
std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const QString& Pattern,
                                            const QString& Description, bool forSave);

// Shows that dialog modally. Returns the confirmed name as the dialog gives it (a full path),
// or "" when the user cancelled.
// The dialog opens in `folder` when it is given and exists, else in the current folder.
QString askFileName(QWidget* parent, const QString& Pattern, const QString& Description,
                    bool forSave, const QString& folder = {});

// What File_Dialog keeps of a confirmed name: a relative name is taken in the current folder,
// as the dialog, which opens there, would; after a save dialog the default extension of the
// description is appended when the whole path text lacks it. "" (a cancel) stays "".
QString chosenFileName(const QString& typed, const QString& Description, bool forSave);

// The picture dialog: titled `title`, filter entries "*.BMP", "*.JPG" and "*.PNG" in this
// order, the first selected. Each entry finds its pictures whatever the case of their extension
// ("plan.jpg", "PLAN.JPG", "plan.jpeg", "plan.Bmp").
std::unique_ptr<QFileDialog> makePictureDialog(QWidget* parent, const QString& title);
// The patterns of those entries, one "Description (patterns)" per entry, separated by ";;".
QString pictureDialogFilter();
// Shows the picture dialog modally: the chosen full path, or "" when the user cancelled.
QString askPictureName(QWidget* parent, const QString& title);
