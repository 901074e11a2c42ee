// "&Outils": the former's pieces at their real size as SVG, DXF and PDF drawings, and printed
// at 1:1. The real size is the 3-D part's: the profile's units times twice "Larg.:" across and
// twice "Haut.:" up, thickness "Ep.:".
#include "editor/main.h"
#include "editor/piece_page.h"
#include "editor/piece_size_dialog.h"

#include "files/safe_file_writer.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QMenu>
#include <QPrintDialog>
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

void Main::createExportMenu() {
    IM_PREFER->addSeparator()->setObjectName("IM_Sep_Export");
    auto item = [this](const char* name, const char* caption, PieceFormat format) {
        QAction* a = IM_PREFER->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, [this, format] { Export_Piece(format); });
        return a;
    };
    IM_Export_SVG = item("IM_Export_SVG", "Exporter en &SVG...", PieceFormat::Svg);
    IM_Export_DXF = item("IM_Export_DXF", "Exporter en &DXF...", PieceFormat::Dxf);
    IM_Export_PDF = item("IM_Export_PDF", "Exporter en &PDF...", PieceFormat::Pdf);
    IM_Print = item("IM_Print", "&Imprimer à l'échelle 1:1...", PieceFormat::Print);
}

PieceOutline Main::realSizePiece(int Piece) const {
    const FormerModel& m = model_;
    const OutlineInput in{m.Courbe_Droite,          m.Courbe_Gauche, m.Doublage_Droit,
                          m.Doublage_Gauche,        m.Nb_Points,     m.Line4.Y1,
                          state_.doublingOn ? 1 : 0};
    const std::optional<::Piece> piece = pieceFromSaveCode(Piece);
    if (!piece) {
        PieceOutline none;
        none.error = "pièce du couple inconnue";
        return none;
    }
    return pieceOutline(in, *piece, m.X1(), 2.0 * state_.width.value, 2.0 * state_.height.value);
}

bool Main::Export_Piece(PieceFormat format) {
    const FormatText text = formatText(format);
    const QString title = QString::fromUtf8(text.title);
    // 1. The piece and its size.
    std::optional<PieceSizeChoice> choice;
    if (exportDialogAnswer) {
        choice = exportDialogAnswer();
    } else {
        PieceSizeDialog dialog(
            title,
            [this](int Piece) {
                const PieceOutline o = realSizePiece(Piece);
                return o.ok() ? QSizeF(o.width(), o.height()) : QSizeF();
            },
            this, format == PieceFormat::Pdf || format == PieceFormat::Print);
        if (dialog.exec() == QDialog::Accepted)
            choice = dialog.choice();
    }
    if (!choice)
        return true;
    const PieceOutline outline =
        resizedPiece(realSizePiece(choice->Piece), choice->width, choice->height);
    if (!outline.ok()) {
        showWarning(title, QStringLiteral("Impossible d'exporter la pièce : %1.")
                               .arg(QString::fromStdString(outline.error)));
        return false;
    }
    const ::Piece piece = *pieceFromSaveCode(choice->Piece);
    const QStringList caption = piecePageCaption(piece, outline, state_.thickness.value);
    const QString name = QString::fromStdString(pieceCaption(piece, outline));

    if (format == PieceFormat::Print)
        return printPiece(outline, caption, choice->page);

    // 2. The drawing, refused before a name is asked when it cannot be made.
    QByteArray bytes;
    if (format == PieceFormat::Svg) {
        bytes = QByteArray::fromStdString(pieceSvg(outline, name.toStdString()));
    } else if (format == PieceFormat::Dxf) {
        bytes = QByteArray::fromStdString(pieceDxf(outline));
    } else if (const QString refusal = piecePdf(outline, caption, name, bytes, choice->page);
               !refusal.isEmpty()) {
        showWarning(title, refusal);
        return false;
    }
    // 3. The file, written aside and put in place of an older one only when complete.
    File_Dialog(QString::fromUtf8(text.pattern), QString::fromUtf8(text.description), 1);
    if (Chosen_File.isEmpty())
        return true;
    const std::string error = writeFileSafely(QFile::encodeName(Chosen_File).toStdString(),
                                              std::string_view(bytes.constData(), bytes.size()));
    if (error.empty())
        return true;
    showWarning(title, QString::fromStdString(error));
    return false;
}

bool Main::printPiece(const PieceOutline& outline, const QStringList& caption, Sheet page) {
    const QString title = QString::fromUtf8(formatText(PieceFormat::Print).title);
    // Refused before the print dialog when the sheet chosen cannot take it.
    const SheetSize sheet = sheetSize(page);
    if (const PageTiling pages = piecePages(outline, caption, {sheet.width, sheet.height});
        !pages.ok()) {
        showWarning(title, QString::fromStdString(pages.error));
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    setPrinterSheet(printer, page);
    printer.setDocName(title);
    bool accepted = false;
    if (printDialogAnswer) {
        accepted = printDialogAnswer(printer);
    } else {
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(title);
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (!accepted)
        return true;
    // On the paper the dialog ended with, which the user may have changed.
    if (const QString error = printPiecePages(printer, outline, caption); !error.isEmpty()) {
        showWarning(title, error);
        return false;
    }
    return true;
}
