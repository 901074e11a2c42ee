#include "editor/user_dialogs.h"

#include "editor/file_dialog.h"

#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>

QString QtUserDialogs::askFileName(const QString& pattern, const QString& description,
                                   bool forSave) {
    return ::askFileName(window_, pattern, description, forSave);
}

QString QtUserDialogs::askPictureName(const QString& title) {
    return ::askPictureName(window_, title);
}

SaveAnswer QtUserDialogs::askSaveChanges(const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("EDITEUR de COUPLES"), text,
                    QMessageBox::NoButton, window_);
    QPushButton* save = box.addButton(QStringLiteral("Enregistrer"), QMessageBox::AcceptRole);
    QPushButton* discard =
        box.addButton(QStringLiteral("Ne pas enregistrer"), QMessageBox::DestructiveRole);
    box.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.exec();
    return box.clickedButton() == save      ? SaveAnswer::Save
           : box.clickedButton() == discard ? SaveAnswer::Discard
                                            : SaveAnswer::Cancel;
}

void QtUserDialogs::warn(const QString& title, const QString& text) {
    QMessageBox::warning(window_, title, text);
}

std::optional<PieceSizeChoice> QtUserDialogs::askPieceSize(const QString& title,
                                                           std::function<QSizeF(int)> realSize,
                                                           bool pageChoice) {
    PieceSizeDialog dialog(title, std::move(realSize), window_, pageChoice);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

bool QtUserDialogs::askPrinter(QPrinter& printer, const QString& title) {
    QPrintDialog dialog(&printer, window_);
    dialog.setWindowTitle(title);
    return dialog.exec() == QDialog::Accepted;
}

bool QtUserDialogs::startProgram(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

QString ScriptedDialogs::askFileName(const QString& pattern, const QString& description,
                                     bool forSave) {
    return fileName ? fileName(pattern, description, forSave)
                    : qt_.askFileName(pattern, description, forSave);
}

QString ScriptedDialogs::askPictureName(const QString& title) {
    return fileName ? fileName(pictureDialogFilter(), title, false) : qt_.askPictureName(title);
}

SaveAnswer ScriptedDialogs::askSaveChanges(const QString& text) {
    return saveChanges ? saveChanges(text) : qt_.askSaveChanges(text);
}

void ScriptedDialogs::warn(const QString& title, const QString& text) {
    if (warning)
        warning(title, text);
    else
        qt_.warn(title, text);
}

std::optional<PieceSizeChoice> ScriptedDialogs::askPieceSize(const QString& title,
                                                             std::function<QSizeF(int)> realSize,
                                                             bool pageChoice) {
    return pieceSize ? pieceSize() : qt_.askPieceSize(title, std::move(realSize), pageChoice);
}

bool ScriptedDialogs::askPrinter(QPrinter& printer, const QString& title) {
    return this->printer ? this->printer(printer) : qt_.askPrinter(printer, title);
}

bool ScriptedDialogs::startProgram(const QString& program, const QStringList& arguments) {
    return this->program ? this->program(program, arguments) : qt_.startProgram(program, arguments);
}
