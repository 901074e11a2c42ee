#include "editor/user_dialogs.h"

#include "editor/file_dialog.h"
#include "editor/number_box.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QVBoxLayout>

#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>

QString QtUserDialogs::askFileName(const QString& pattern, const QString& description, bool forSave,
                                   const QString& folder) {
    return ::askFileName(window_, pattern, description, forSave, folder);
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

QString QtUserDialogs::replaceQuestion(const QStringList& names) {
    if (names.size() == 1) {
        // The question of Qt's own file dialog, in its French words.
        const char* const source = "%1 already exists.\nDo you want to replace it?";
        QString question = QCoreApplication::translate("QFileDialog", source);
        if (question == QLatin1String(source)) // Qt's French catalogue is missing
            question = QStringLiteral("Le fichier %1 existe déjà\nVoulez-vous l'écraser ?");
        return question.arg(names.front());
    }
    return QStringLiteral("Ces fichiers existent déjà :\n%1\nVoulez-vous les écraser ?")
        .arg(names.join(QLatin1Char('\n')));
}

bool QtUserDialogs::askReplace(const QString& title, const QStringList& names) {
    return QMessageBox::warning(window_, title, replaceQuestion(names),
                                QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

void QtUserDialogs::warn(const QString& title, const QString& text) {
    QMessageBox::warning(window_, title, text);
}

std::optional<PieceSizeChoice> QtUserDialogs::askPieceSize(const QString& title,
                                                           std::function<QSizeF(int)> realSize,
                                                           bool pageChoice, bool dxfChoice,
                                                           const PieceSizeChoice& last) {
    PieceSizeDialog dialog(title, std::move(realSize), window_, pageChoice, dxfChoice);
    dialog.setChoice(last);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

bool QtUserDialogs::askConfirmation(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, window_);
    QPushButton* yes = box.addButton(QStringLiteral("Oui"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("Non"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

std::optional<double> QtUserDialogs::askNumber(const QString& title, const QString& label,
                                               const DecimalRule& rule) {
    QDialog dialog(window_);
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(label, &dialog));
    auto* box = new NumberBox(label, rule, 2, &dialog);
    box->clear();
    layout->addWidget(box);
    auto* refusal = new QLabel(&dialog);
    refusal->setWordWrap(true);
    layout->addWidget(refusal);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QObject::connect(box, &NumberBox::refused, refusal, &QLabel::setText);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    // OK only with a number the box reads.
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&dialog, box] {
        if (box->confirm() && box->shownValue())
            dialog.accept();
    });
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return box->value();
}

std::optional<QString> QtUserDialogs::askText(const QString& title, const QString& label,
                                              const QString& text) {
    bool ok = false;
    const QString typed =
        QInputDialog::getText(window_, title, label, QLineEdit::Normal, text, &ok);
    if (!ok)
        return std::nullopt;
    return typed;
}

std::optional<ExportAllChoice> QtUserDialogs::askExportAll(const QString& title,
                                                           const QStringList& formers,
                                                           const ExportAllChoice& last) {
    ExportAllDialog dialog(title, formers, window_);
    dialog.setChoice(last);
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
                                     bool forSave, const QString& folder) {
    return fileName ? fileName(pattern, description, forSave)
                    : qt_.askFileName(pattern, description, forSave, folder);
}

QString ScriptedDialogs::askPictureName(const QString& title) {
    return fileName ? fileName(pictureDialogFilter(), title, false) : qt_.askPictureName(title);
}

SaveAnswer ScriptedDialogs::askSaveChanges(const QString& text) {
    return saveChanges ? saveChanges(text) : qt_.askSaveChanges(text);
}

bool ScriptedDialogs::askReplace(const QString& title, const QStringList& names) {
    return replace ? replace(title, names) : true;
}

void ScriptedDialogs::warn(const QString& title, const QString& text) {
    if (warning)
        warning(title, text);
    else
        qt_.warn(title, text);
}

std::optional<PieceSizeChoice> ScriptedDialogs::askPieceSize(const QString& title,
                                                             std::function<QSizeF(int)> realSize,
                                                             bool pageChoice, bool dxfChoice,
                                                             const PieceSizeChoice& last) {
    return pieceSize ? pieceSize()
                     : qt_.askPieceSize(title, std::move(realSize), pageChoice, dxfChoice, last);
}

bool ScriptedDialogs::askConfirmation(const QString& title, const QString& text) {
    return confirmation ? confirmation(text) : qt_.askConfirmation(title, text);
}

std::optional<double> ScriptedDialogs::askNumber(const QString& title, const QString& label,
                                                 const DecimalRule& rule) {
    return number ? number(label) : qt_.askNumber(title, label, rule);
}

std::optional<QString> ScriptedDialogs::askText(const QString& title, const QString& label,
                                                const QString& typed) {
    return text ? text(label) : qt_.askText(title, label, typed);
}

std::optional<ExportAllChoice> ScriptedDialogs::askExportAll(const QString& title,
                                                             const QStringList& formers,
                                                             const ExportAllChoice& last) {
    return exportAll ? exportAll(last) : qt_.askExportAll(title, formers, last);
}

bool ScriptedDialogs::askPrinter(QPrinter& printer, const QString& title) {
    return this->printer ? this->printer(printer) : qt_.askPrinter(printer, title);
}

bool ScriptedDialogs::startProgram(const QString& program, const QStringList& arguments) {
    return this->program ? this->program(program, arguments) : qt_.startProgram(program, arguments);
}
