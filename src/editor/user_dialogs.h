#pragma once

#include "editor/export_all_dialog.h"
#include "editor/piece_size_dialog.h"
#include "files/decimal_text.h"

#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QPrinter;
class QWidget;

// The answer to "Enregistrer les modifications ?".
enum class SaveAnswer { Save, Discard, Cancel };

// Everything the editor asks the user or tells them in a window of its own. People get Qt's
// dialogs (QtUserDialogs); scripts and tests answer instead (ScriptedDialogs).
class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // The window the dialogs belong to.
    virtual void attach(QWidget* window) = 0;
    // The name typed and confirmed in a file dialog with one filter "Description (Pattern)",
    // opening or saving, opened in `folder` when one is given; "" cancels.
    virtual QString askFileName(const QString& pattern, const QString& description, bool forSave,
                                const QString& folder = {}) = 0;
    // The picture chosen in the picture dialog, a full path; "" cancels.
    virtual QString askPictureName(const QString& title) = 0;
    virtual SaveAnswer askSaveChanges(const QString& text) = 0;
    // Whether the files named (names without their folder) that a save would replace may be
    // replaced, asked under the save dialog's title; false keeps them.
    virtual bool askReplace(const QString& title, const QStringList& names) = 0;
    virtual void warn(const QString& title, const QString& text) = 0;
    // The piece and its size before a drawing is made; nullopt cancels. realSize gives a
    // piece's real size by its save code; pageChoice offers the sheet too (PDF, printing),
    // dxfChoice the DXF version; the dialog starts from `last`, the choice made the time before.
    virtual std::optional<PieceSizeChoice> askPieceSize(const QString& title,
                                                        std::function<QSizeF(int Piece)> realSize,
                                                        bool pageChoice, bool dxfChoice,
                                                        const PieceSizeChoice& last) = 0;
    // A question answered by yes or no ("Exporter quand même ?"); false cancels.
    virtual bool askConfirmation(const QString& title, const QString& text) = 0;
    // A number typed in a small dialog under `label` ("Distance réelle (mm) :"), as the rule
    // reads it; nullopt cancels.
    virtual std::optional<double> askNumber(const QString& title, const QString& label,
                                            const DecimalRule& rule) = 0;
    // A line of text typed under `label`, starting from `text`; nullopt cancels.
    virtual std::optional<QString> askText(const QString& title, const QString& label,
                                           const QString& text) = 0;
    // How every former is laid out and written, the dialog starting from `last` and listing
    // the formers by name; nullopt cancels.
    virtual std::optional<ExportAllChoice>
    askExportAll(const QString& title, const QStringList& formers, const ExportAllChoice& last) = 0;
    // The print dialog for the printer; false cancels (the printer may be pointed at a file).
    virtual bool askPrinter(QPrinter& printer, const QString& title) = 0;
    // Starts a program with its arguments, without a shell and without waiting; false when it
    // could not be started.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
};

class QtUserDialogs : public UserDialogs {
public:
    void attach(QWidget* window) override { window_ = window; }
    QString askFileName(const QString& pattern, const QString& description, bool forSave,
                        const QString& folder = {}) override;
    QString askPictureName(const QString& title) override;
    SaveAnswer askSaveChanges(const QString& text) override;
    bool askReplace(const QString& title, const QStringList& names) override;
    void warn(const QString& title, const QString& text) override;
    std::optional<PieceSizeChoice> askPieceSize(const QString& title,
                                                std::function<QSizeF(int)> realSize,
                                                bool pageChoice, bool dxfChoice,
                                                const PieceSizeChoice& last) override;
    bool askConfirmation(const QString& title, const QString& text) override;
    std::optional<double> askNumber(const QString& title, const QString& label,
                                    const DecimalRule& rule) override;
    std::optional<QString> askText(const QString& title, const QString& label,
                                   const QString& text) override;
    std::optional<ExportAllChoice> askExportAll(const QString& title, const QStringList& formers,
                                                const ExportAllChoice& last) override;
    bool askPrinter(QPrinter& printer, const QString& title) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;

    // The question asked before files are replaced: Qt's own, in French, for one file.
    static QString replaceQuestion(const QStringList& names);

private:
    QWidget* window_ = nullptr;
};

// Answers given by a script or a test stand for the user; a question without an answer shows
// Qt's own dialog, as for a person.
class ScriptedDialogs : public UserDialogs {
public:
    // The picture dialog is a file dialog too: its pattern is pictureDialogFilter().
    std::function<QString(const QString& pattern, const QString& description, bool forSave)>
        fileName;
    std::function<SaveAnswer(const QString& text)> saveChanges;
    // A script saves as it was told to: unless answered otherwise, files are replaced.
    std::function<bool(const QString& title, const QStringList& names)> replace;
    std::function<void(const QString& title, const QString& text)> warning;
    std::function<std::optional<PieceSizeChoice>()> pieceSize;
    std::function<bool(const QString& text)> confirmation;
    std::function<std::optional<double>(const QString& label)> number;
    std::function<std::optional<QString>(const QString& label)> text;
    std::function<std::optional<ExportAllChoice>(const ExportAllChoice& last)> exportAll;
    std::function<bool(QPrinter&)> printer;
    std::function<bool(const QString& program, const QStringList& arguments)> program;

    void attach(QWidget* window) override { qt_.attach(window); }
    QString askFileName(const QString& pattern, const QString& description, bool forSave,
                        const QString& folder = {}) override;
    QString askPictureName(const QString& title) override;
    SaveAnswer askSaveChanges(const QString& text) override;
    bool askReplace(const QString& title, const QStringList& names) override;
    void warn(const QString& title, const QString& text) override;
    std::optional<PieceSizeChoice> askPieceSize(const QString& title,
                                                std::function<QSizeF(int)> realSize,
                                                bool pageChoice, bool dxfChoice,
                                                const PieceSizeChoice& last) override;
    bool askConfirmation(const QString& title, const QString& text) override;
    std::optional<double> askNumber(const QString& title, const QString& label,
                                    const DecimalRule& rule) override;
    std::optional<QString> askText(const QString& title, const QString& label,
                                   const QString& text) override;
    std::optional<ExportAllChoice> askExportAll(const QString& title, const QStringList& formers,
                                                const ExportAllChoice& last) override;
    bool askPrinter(QPrinter& printer, const QString& title) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;

private:
    QtUserDialogs qt_;
};
