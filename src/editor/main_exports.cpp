// "&Outils": the former's pieces at their real size as SVG, DXF and PDF drawings, and printed
// at 1:1. The real size is the drawing's geometry at the former's real scale, the same across
// and up; the thickness written beside it is "Ep.:".
#include "editor/main.h"
#include "editor/piece_size_dialog.h"
#include "editor/status_line.h"
#include "editor/user_dialogs.h"
#include "print/piece_page.h"

#include "files/safe_file_writer.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPrinter>
#include <QSlider>

namespace {

struct FormatText {
    const char* title;       // the size dialog's and the messages' title
    const char* pattern;     // the save dialog's single filter
    const char* description; // its name, which also gives the default extension
};

FormatText formatText(Main::PieceFormat format) {
    switch (format) {
    case Main::PieceFormat::Svg:
        return {"Exporter en SVG", "*.svg", "Fichier SVG"};
    case Main::PieceFormat::Dxf:
        return {"Exporter en DXF", "*.dxf", "Fichier DXF"};
    case Main::PieceFormat::Pdf:
        return {"Exporter en PDF", "*.pdf", "Fichier PDF"};
    case Main::PieceFormat::Print:
        break;
    }
    return {"Imprimer à l'échelle 1:1", "", ""};
}

} // namespace

bool Main::Export_Piece(PieceFormat format) {
    const FormatText text = formatText(format);
    const QString title = QString::fromUtf8(text.title);
    // Notches left out of the former are told first: it may be better mended than cut so.
    if (!exportLeavingNotchesOut(title, {session_.current()}))
        return true;
    // 1. The piece and its size, the dialog starting from the choice made the time before.
    const View& view = session_.view();
    PieceSizeChoice last;
    last.Piece = view.exportPiece;
    if (view.exportWidth > 0.0)
        last.width = view.exportWidth;
    if (view.exportHeight > 0.0)
        last.height = view.exportHeight;
    last.page = static_cast<Sheet>(view.exportSheet);
    last.dxf = view.exportDxfR12 ? DxfVersion::R12 : DxfVersion::AutoCad2000;
    const std::optional<PieceSizeChoice> choice = dialogs_.askPieceSize(
        title,
        [this](int Piece) {
            const PieceOutline o = session_.realSizePiece(Piece);
            return o.ok() ? QSizeF(o.width(), o.height()) : QSizeF();
        },
        format == PieceFormat::Pdf || format == PieceFormat::Print, format == PieceFormat::Dxf,
        last);
    if (!choice)
        return true;
    session_.setExportChoice(choice->Piece, choice->width.value_or(0.0),
                             choice->height.value_or(0.0), static_cast<ExportSheet>(choice->page));
    if (format == PieceFormat::Dxf)
        session_.setExportDxfR12(choice->dxf == DxfVersion::R12);
    const PieceOutline outline =
        resizedPiece(session_.realSizePiece(choice->Piece), choice->width, choice->height);
    if (!outline.ok()) {
        dialogs_.warn(title, QStringLiteral("Impossible d'exporter la pièce : %1.")
                                 .arg(QString::fromStdString(outline.error)));
        return false;
    }
    const ::Piece piece = *pieceFromSaveCode(choice->Piece);
    const QStringList caption = piecePageCaption(piece, outline, session_.work().thickness.value);
    const QString name = QString::fromStdString(pieceCaption(piece, outline));
    // The former's name, with the size, in a corner of every page.
    const QString former = QString::fromStdString(
        session_.formers()[static_cast<std::size_t>(session_.current())]->name);

    // What was made, for the status bar: "Couple Entier : 101,10 × 150,00 mm → plan.DXF".
    const auto written = [this, piece, &outline](const QString& where) {
        statusLine_->pass(
            QString::fromUtf8(pieceName(piece).data(), qsizetype(pieceName(piece).size())) +
            QStringLiteral(" : %1 × %2 mm → %3")
                .arg(QString::fromStdString(frenchMillimetres(outline.width())),
                     QString::fromStdString(frenchMillimetres(outline.height())), where));
    };
    if (format == PieceFormat::Print) {
        if (!printPiece(outline, caption, choice->page, former))
            return false;
        written(QStringLiteral("imprimante"));
        return true;
    }

    // 2. The drawing, refused before a name is asked when it cannot be made.
    QByteArray bytes;
    if (format == PieceFormat::Svg) {
        bytes = QByteArray::fromStdString(pieceSvg(outline, name.toStdString()));
    } else if (format == PieceFormat::Dxf) {
        bytes = QByteArray::fromStdString(pieceDxf(outline, choice->dxf));
    } else if (const QString refusal =
                   piecePdf(outline, caption, name, bytes, choice->page, former);
               !refusal.isEmpty()) {
        dialogs_.warn(title, refusal);
        return false;
    }
    // 3. The file, written aside and put in place of an older one only when complete.
    File_Dialog(QString::fromUtf8(text.pattern), QString::fromUtf8(text.description), 1,
                QFile::decodeName(QByteArray::fromStdString(view.exportFolder)));
    if (Chosen_File_.isEmpty() || !mayReplace(QString::fromUtf8(text.description), {Chosen_File_}))
        return true;
    const std::string error = writeFileSafely(QFile::encodeName(Chosen_File_).toStdString(),
                                              std::string_view(bytes.constData(), bytes.size()));
    if (!error.empty()) {
        dialogs_.warn(title, QString::fromStdString(error));
        return false;
    }
    session_.setExportFolder(
        QFile::encodeName(QFileInfo(Chosen_File_).absolutePath()).toStdString());
    written(QFileInfo(Chosen_File_).fileName());
    return true;
}

bool Main::printPiece(const PieceOutline& outline, const QStringList& caption, Sheet page,
                      const QString& part) {
    const QString title = QString::fromUtf8(formatText(PieceFormat::Print).title);
    // Refused before the print dialog when the sheet chosen cannot take it.
    const SheetSize sheet = sheetSize(page);
    if (const PageTiling pages = piecePages(outline, caption, {sheet.width, sheet.height});
        !pages.ok()) {
        dialogs_.warn(title, QString::fromStdString(pages.error));
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    setPrinterSheet(printer, page);
    printer.setDocName(title);
    const bool accepted = dialogs_.askPrinter(printer, title);
    if (!accepted)
        return true;
    // On the paper the dialog ended with, which the user may have changed.
    if (const QString error = printPiecePages(printer, outline, caption, part); !error.isEmpty()) {
        dialogs_.warn(title, error);
        return false;
    }
    return true;
}
