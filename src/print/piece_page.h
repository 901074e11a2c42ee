#pragma once

#include "export/page_tiling.h"
#include "export/piece_outline.h"
#include "export/sheet_layout.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

// The piece at exactly 1:1 on paper, for the PDF file and for printing. A piece that fits
// one sheet is centred on it with its caption under it and a 10 mm check square to measure
// the print with a ruler; a larger one is shared among sheets as page_tiling.h lays them out,
// each with its label, cut marks and check square, the first with a map of the assembly, and
// none where no outline falls. A part given a name ("F4") carries it with its size on every
// page: in the top left corner of a single page, beside the label of a shared one.

// The lines written under the piece: its name, then its width, height and thickness.
QStringList piecePageCaption(Piece piece, const PieceOutline& outline, int thicknessMm);

// "F4 — 98,10 × 161,18 mm": the part's name and the size it is drawn at.
QString partCornerText(const QString& part, const PieceOutline& outline);

// The sheets for the piece and its caption on paper of sheetMm (a nominal sheet or the
// printer's paper), those on which no outline falls left out; refused (its error set) beyond
// kMaxPages sheets.
PageTiling piecePages(const PieceOutline& outline, const QStringList& caption, QSizeF sheetMm);

// Draws sheet `index` of `pages` with an open painter whose device is measured by its logical
// dpi and starts at the sheet's top-left corner: a PDF writer, a printer painting the whole
// sheet, or an image. `labels` (the piece's millimetres) are drawn over the outline in blue,
// the engraving's colour.
void paintPiecePage(QPainter& p, const PieceOutline& outline, const QStringList& caption,
                    const PageTiling& pages, int index, const std::vector<PartLabel>& labels = {},
                    const QString& part = {});

// Every sheet on `device`, a new page for each after the first; false when the device
// refused a new page.
bool paintPiecePages(QPagedPaintDevice& device, const PieceOutline& outline,
                     const QStringList& caption, const PageTiling& pages,
                     const std::vector<PartLabel>& labels = {}, const QString& part = {});

// The outline alone, with the pages' fine line, the piece's point `topLeft` (millimetres, y
// up) at the painter's origin, pxPerMm device units per millimetre: a window of a shared
// sheet shows a part of exactly this.
void paintPieceOutline(QPainter& p, const PieceOutline& outline, MmPoint topLeft, double pxPerMmX,
                       double pxPerMmY);

// The document as a PDF file on sheets of `sheet`, or a refusal (pdf is then empty).
QString piecePdf(const PieceOutline& outline, const QStringList& caption, const QString& title,
                 QByteArray& pdf, Sheet sheet = Sheet::A4Portrait, const QString& part = {});

// The sheets of wood of a layout at 1:1, every part's name on it: each sheet is a piece made
// of its border and the parts' outlines, on one page of `paper` or shared among pages as a
// piece is, its caption "Plaque 1 sur 3" and the sheet's measures.
QStringList layoutSheetCaption(const SheetLayout& layout, std::size_t index);
std::vector<PartLabel> layoutSheetLabels(const SheetLayout& layout, std::size_t index);

// The whole layout as one PDF file, the pages of each sheet in turn (those where none of its
// parts falls left out), or a refusal (the layout's own, or a sheet that would take more than
// kMaxPages pages); pdf is then empty. With `sheetSizePages` each sheet is instead one page of
// the sheet's own size at 1:1, for a laser that takes PDF: only the parts' outlines and their
// names, no border, caption or check square for it to cut. The page is the sheet rounded up to
// whole points (under 0.36 mm), the parts placed from its lower left corner as the sheet's
// coordinates run. `paper` is then unused; a sheet larger than a PDF page may be (5080 mm) is
// refused.
QString sheetsPdf(const SheetLayout& layout, const QString& title, QByteArray& pdf,
                  Sheet paper = Sheet::A4Portrait, bool sheetSizePages = false);

// Printing: the printer is set to the sheet chosen before its dialog shows, then, once the
// user confirmed it, every sheet is printed on the paper of the dialog, the whole sheet the
// painter's. "" or the French reason it was refused or failed.
void setPrinterSheet(QPrinter& printer, Sheet sheet);
QString printPiecePages(QPrinter& printer, const PieceOutline& outline, const QStringList& caption,
                        const QString& part = {});
