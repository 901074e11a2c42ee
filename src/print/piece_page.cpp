#include "print/piece_page.h"

#include "files/decimal_text.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPdfDpi = 9600.0;  // fine enough that no coordinate is rounded visibly
constexpr double kMarkLength = 5.0; // mm, a cut mark in the margin
constexpr double kMarkGap = 1.0;    // mm between a mark and the window
constexpr double kCornerTop = 4.0;  // mm, the part's name below the printers' unprintable edge

QString mm(double v) {
    return QString::fromStdString(frenchMillimetres(v));
}

QString checkSquareText() {
    return QStringLiteral("Carré de contrôle : 10 mm × 10 mm");
}

// Device units per millimetre of the painter's device.
QSizeF unitsPerMm(const QPainter& p) {
    return {p.device()->logicalDpiX() / 25.4, p.device()->logicalDpiY() / 25.4};
}

QPainterPath piecePath(const PieceOutline& outline, MmPoint topLeft, double px, double py) {
    auto at = [&](const MmPoint& q) {
        return QPointF((q.x - topLeft.x) * px, (topLeft.y - q.y) * py);
    };
    QPainterPath path;
    for (const PiecePath& run : outline.paths) {
        path.moveTo(at(run.points.front()));
        for (std::size_t k = 1; k < run.points.size(); ++k) {
            path.lineTo(at(run.points[k]));
        }
        path.closeSubpath();
    }
    return path;
}

void setFontPoints(QPainter& p, double points, bool bold = false) {
    QFont font = p.font();
    font.setPointSizeF(points);
    font.setBold(bold);
    p.setFont(font);
}

void setPenMm(QPainter& p, double widthMm, double px) {
    QPen pen(Qt::black);
    pen.setWidthF(widthMm * px);
    p.setPen(pen);
}

// The labels over the outline, in the same place as paintPieceOutline puts it.
void paintLabels(QPainter& p, const std::vector<PartLabel>& labels, MmPoint topLeft, double px,
                 double py) {
    if (labels.empty())
        return;
    p.save();
    p.setPen(QColor(0, 0, 255));
    for (const PartLabel& label : labels) {
        setFontPoints(p, label.height * 72.0 / 25.4);
        const QPointF at((label.centre.x - topLeft.x) * px, (topLeft.y - label.centre.y) * py);
        p.drawText(QRectF(at, at), Qt::AlignCenter | Qt::TextDontClip,
                   QString::fromStdString(label.text));
    }
    p.restore();
}

// One page: the piece centred with its caption and the check square under it, the part's name
// and size in the top left corner, in the margin that no piece reaches.
void paintSinglePage(QPainter& p, const PieceOutline& outline, const QStringList& caption,
                     const std::vector<PartLabel>& labels, const QString& part) {
    const auto [px, py] = unitsPerMm(p);
    if (!part.isEmpty()) {
        setFontPoints(p, 9.0);
        p.drawText(QRectF(kPageMargin * px, kCornerTop * py,
                          (p.device()->width() / px - 2 * kPageMargin) * px,
                          (kPageMargin - kCornerTop) * py),
                   Qt::AlignLeft | Qt::AlignVCenter, partCornerText(part, outline));
    }
    // The sheet as painted, which may differ from its nominal size by a rounding of the
    // page's points: the piece is centred on what comes out.
    const QSizeF page(p.device()->width() / px, p.device()->height() / py);
    // The block (piece, caption, square) is centred on the sheet, the piece on its middle line.
    const double blockH = outline.height() + captionHeight(static_cast<int>(caption.size()));
    const double top = (page.height() - blockH) / 2.0;
    const double left = (page.width() - outline.width()) / 2.0;
    const MmPoint topLeft{outline.minX - left, outline.maxY + top};
    paintPieceOutline(p, outline, topLeft, px, py);
    paintLabels(p, labels, topLeft, px, py);

    setFontPoints(p, 10.0);
    double y = top + outline.height() + kCaptionGap;
    for (const QString& line : caption) {
        p.drawText(QRectF(0, y * py, page.width() * px, kCaptionLine * py),
                   Qt::AlignHCenter | Qt::AlignVCenter, line);
        y += kCaptionLine;
    }
    y += 2.0;
    const QString label = checkSquareText();
    const double labelW = p.fontMetrics().horizontalAdvance(label) / px;
    const double rowLeft = (page.width() - kCheckSquare - 3.0 - labelW) / 2.0;
    setPenMm(p, 0.1, px);
    p.drawRect(QRectF(rowLeft * px, y * py, kCheckSquare * px, kCheckSquare * py));
    p.drawText(QRectF((rowLeft + kCheckSquare + 3.0) * px, y * py, labelW * px + 2 * px,
                      kCheckSquare * py),
               Qt::AlignLeft | Qt::AlignVCenter, label);
}

// The map of the assembly in `box` (mm): the sheets' windows as a grid with their labels and
// the piece's outline over it; a window left out leaves its cell empty.
void paintAssemblyMap(QPainter& p, const PieceOutline& outline, const PageTiling& pages,
                      const QRectF& box, double px, double py) {
    const double step = pages.windowWidth - kTileOverlap;
    const double stepY = pages.windowHeight - kTileOverlap;
    const double coverW = pages.columns * step + kTileOverlap;
    const double coverH = pages.rows * stepY + kTileOverlap;
    const double scale = std::min(box.width() / coverW, box.height() / coverH);
    const QPointF origin(box.right() - coverW * scale, box.top()); // mm, right-aligned
    setPenMm(p, 0.1, px);
    setFontPoints(p, 6.0);
    for (const PageTile& tile : pages.tiles) {
        // Each cell up to where the next window starts, the last one to its window's end.
        const double w = tile.column + 1 < pages.columns ? step : pages.windowWidth;
        const double h = tile.row + 1 < pages.rows ? stepY : pages.windowHeight;
        const QRectF cell((origin.x() + tile.column * step * scale) * px,
                          (origin.y() + tile.row * stepY * scale) * py, w * scale * px,
                          h * scale * py);
        p.drawRect(cell);
        p.drawText(cell, Qt::AlignCenter, QString::fromStdString(tile.label));
    }
    // The outline over the grid, from the corner of its first window, printed or not.
    const PageTile& any = pages.tiles.front();
    const MmPoint corner{any.left - any.column * step, any.top + any.row * stepY};
    p.save();
    p.translate(origin.x() * px, origin.y() * py);
    setPenMm(p, 0.2, px);
    p.drawPath(piecePath(outline, corner, scale * px, scale * py));
    p.restore();
}

// A sheet of a shared piece: its window of the piece, the cut marks and neighbours' labels in
// the margins, and under the window its label, the check square and, on the first, the map.
void paintTile(QPainter& p, const PieceOutline& outline, const QStringList& caption,
               const PageTiling& pages, int index, const std::vector<PartLabel>& labels,
               const QString& part) {
    const auto [px, py] = unitsPerMm(p);
    const PageTile& tile = pages.tiles[static_cast<std::size_t>(index)];
    const double wl = pages.windowLeft, wt = pages.windowTop;
    const double wr = wl + pages.windowWidth, wb = wt + pages.windowHeight;

    // 1. The piece's part, clipped to the window.
    p.save();
    p.setClipRect(QRectF(wl * px, wt * py, pages.windowWidth * px, pages.windowHeight * py));
    p.translate(wl * px, wt * py);
    paintPieceOutline(p, outline, {tile.left, tile.top}, px, py);
    paintLabels(p, labels, {tile.left, tile.top}, px, py);
    p.restore();

    // 2. Where a neighbour's window (one printed) overlaps this one: marks at both edges of the
    // overlap, in the margins on either side, and the neighbour's label beside the middle of the
    // edge.
    auto neighbour = [&](int dc, int dr) { return tileAt(pages, tile.column + dc, tile.row + dr); };
    setFontPoints(p, 7.0);
    const double before = kMarkGap + kMarkLength; // the mark's far end from the window
    for (const auto& [dc, dr] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, {0, -1}}) {
        const PageTile* next = neighbour(dc, dr);
        if (!next)
            continue;
        setPenMm(p, 0.1, px);
        const QString label = QString::fromStdString(next->label);
        if (dc != 0) {
            const double edge = dc > 0 ? wr : wl;
            for (const double x : {edge, edge - dc * kTileOverlap}) {
                p.drawLine(QPointF(x * px, (wt - before) * py),
                           QPointF(x * px, (wt - kMarkGap) * py));
                p.drawLine(QPointF(x * px, (wb + kMarkGap) * py),
                           QPointF(x * px, (wb + before) * py));
            }
            const double labelLeft = dc > 0 ? wr + kMarkGap : 0.0;
            p.drawText(QRectF(labelLeft * px, (wt + pages.windowHeight / 2 - 3) * py,
                              (kPageMargin - kMarkGap) * px, 6 * py),
                       Qt::AlignCenter, label);
        } else {
            const double edge = dr > 0 ? wb : wt;
            for (const double y : {edge, edge - dr * kTileOverlap}) {
                p.drawLine(QPointF((wl - before) * px, y * py),
                           QPointF((wl - kMarkGap) * px, y * py));
                p.drawLine(QPointF((wr + kMarkGap) * px, y * py),
                           QPointF((wr + before) * px, y * py));
            }
            const double labelTop = dr > 0 ? wb + kMarkGap : wt - before;
            p.drawText(QRectF((wl + pages.windowWidth / 2 - 10) * px, labelTop * py, 20 * px,
                              kMarkLength * py),
                       Qt::AlignCenter, label);
        }
    }

    // 3. Under the window: the label, the part's name and size and the piece's, the check
    // square and the caption.
    const double lineTop = wb + kMarkGap + kMarkLength;
    const double textRight = index == 0 ? wl + pages.windowWidth * 0.55 : wr;
    const QString pageText =
        QStringLiteral("%1   page %2 sur %3   %4")
            .arg(QString::fromStdString(tile.label))
            .arg(index + 1)
            .arg(pages.tiles.size())
            .arg(part.isEmpty() ? caption.value(0)
                                : partCornerText(part, outline) + ", " + caption.value(0));
    setFontPoints(p, 10.0, true);
    p.drawText(QRectF(wl * px, lineTop * py, (textRight - wl) * px, kCaptionLine * py),
               Qt::AlignLeft | Qt::AlignVCenter,
               p.fontMetrics().elidedText(pageText, Qt::ElideRight,
                                          static_cast<int>((textRight - wl) * px)));
    const double squareTop = lineTop + kCaptionLine + 1.0;
    setPenMm(p, 0.1, px);
    p.drawRect(QRectF(wl * px, squareTop * py, kCheckSquare * px, kCheckSquare * py));
    setFontPoints(p, 8.0);
    const double textLeft = wl + kCheckSquare + 3.0;
    for (const auto& [text, row] : {std::pair{checkSquareText(), 0}, {caption.value(1), 1}}) {
        p.drawText(QRectF(textLeft * px, (squareTop + row * kCheckSquare / 2) * py,
                          (textRight - textLeft) * px, kCheckSquare / 2 * py),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(text, Qt::ElideRight,
                                              static_cast<int>((textRight - textLeft) * px)));
    }
    // 4. The first sheet shows how they go together.
    if (index == 0) {
        const double mapLeft = textRight + 3.0;
        paintAssemblyMap(p, outline, pages,
                         QRectF(mapLeft, lineTop, wr - mapLeft, squareTop + kCheckSquare - lineTop),
                         px, py);
    }
}

} // namespace

QStringList piecePageCaption(Piece piece, const PieceOutline& outline, int thicknessMm) {
    return {QString::fromUtf8(pieceName(piece).data(), pieceName(piece).size()),
            QStringLiteral("Largeur : %1 mm    Hauteur : %2 mm    Epaisseur : %3 mm")
                .arg(mm(outline.width()), mm(outline.height()))
                .arg(thicknessMm)};
}

QString partCornerText(const QString& part, const PieceOutline& outline) {
    return QStringLiteral("%1 — %2 × %3 mm").arg(part, mm(outline.width()), mm(outline.height()));
}

PageTiling piecePages(const PieceOutline& outline, const QStringList& caption, QSizeF sheetMm) {
    PageTiling pages =
        tilePiece(outline, {sheetMm.width(), sheetMm.height()}, static_cast<int>(caption.size()));
    dropEmptyTiles(pages, outline);
    return pages;
}

void paintPieceOutline(QPainter& p, const PieceOutline& outline, MmPoint topLeft, double pxPerMmX,
                       double pxPerMmY) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    setPenMm(p, 0.15, pxPerMmX); // a fine line the knife can follow
    p.setBrush(Qt::NoBrush);
    p.drawPath(piecePath(outline, topLeft, pxPerMmX, pxPerMmY));
    p.restore();
}

void paintPiecePage(QPainter& p, const PieceOutline& outline, const QStringList& caption,
                    const PageTiling& pages, int index, const std::vector<PartLabel>& labels,
                    const QString& part) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (pages.single)
        paintSinglePage(p, outline, caption, labels, part);
    else
        paintTile(p, outline, caption, pages, index, labels, part);
    p.restore();
}

bool paintPiecePages(QPagedPaintDevice& device, const PieceOutline& outline,
                     const QStringList& caption, const PageTiling& pages,
                     const std::vector<PartLabel>& labels, const QString& part) {
    QPainter p(&device);
    for (std::size_t i = 0; i < pages.tiles.size(); ++i) {
        if (i > 0 && !device.newPage())
            return false;
        paintPiecePage(p, outline, caption, pages, static_cast<int>(i), labels, part);
    }
    return true;
}

namespace {

QPageLayout pageLayout(Sheet sheet) {
    const SheetSize size = sheetSize(sheet);
    const bool a3 = sheet == Sheet::A3Portrait || sheet == Sheet::A3Landscape;
    return QPageLayout(QPageSize(a3 ? QPageSize::A3 : QPageSize::A4),
                       size.width > size.height ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF());
}

// A PDF file on pages of `layout`, drawn by `paint` on its writer.
template <class Paint>
void writePdf(QByteArray& pdf, const QPageLayout& layout, const QString& title, Paint&& paint) {
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(static_cast<int>(kPdfDpi));
    writer.setPageLayout(layout);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("EDITEUR de COUPLES"));
    paint(writer);
}

} // namespace

QString piecePdf(const PieceOutline& outline, const QStringList& caption, const QString& title,
                 QByteArray& pdf, Sheet sheet, const QString& part) {
    pdf.clear();
    const SheetSize size = sheetSize(sheet);
    const PageTiling pages = piecePages(outline, caption, {size.width, size.height});
    if (!pages.ok())
        return QString::fromStdString(pages.error);
    writePdf(pdf, pageLayout(sheet), title, [&](QPdfWriter& writer) {
        paintPiecePages(writer, outline, caption, pages, {}, part);
    });
    return {};
}

QStringList layoutSheetCaption(const SheetLayout& layout, std::size_t index) {
    return {QStringLiteral("Plaque %1 sur %2").arg(index + 1).arg(layout.sheets.size()),
            QStringLiteral("Plaque de %1 × %2 mm    Espacement : %3 mm    %4")
                .arg(QString::fromStdString(frenchNumber(layout.sheet.width)),
                     QString::fromStdString(frenchNumber(layout.sheet.height)),
                     QString::fromStdString(frenchNumber(layout.sheet.spacing)),
                     QString::fromStdString(layoutSummary(layout)))};
}

std::vector<PartLabel> layoutSheetLabels(const SheetLayout& layout, std::size_t index) {
    std::vector<PartLabel> labels;
    for (const PlacedPart& placed : layout.sheets[index].parts)
        labels.push_back(partLabel(layout, placed));
    return labels;
}

namespace {

// The parts of a sheet piece (sheetPiece): all but its border.
PieceOutline partsOnly(PieceOutline sheet) {
    sheet.paths.erase(sheet.paths.begin());
    return sheet;
}

// Each sheet of wood on one page of its own size, at 1:1: the parts' outlines and their names,
// nothing a laser should not cut or engrave.
QString sheetSizePdf(const SheetLayout& layout, const std::vector<PieceOutline>& pieces,
                     const QString& title, QByteArray& pdf) {
    constexpr double kLargestPdfPage = 5080.0; // mm: 200 inches, the most a PDF page may measure
    const double W = layout.sheet.width, H = layout.sheet.height;
    if (W > kLargestPdfPage || H > kLargestPdfPage)
        return QStringLiteral("La plaque de %1 × %2 mm dépasse la plus grande page qu'un fichier "
                              "PDF puisse avoir (%3 mm de côté).")
            .arg(QString::fromStdString(frenchNumber(W)), QString::fromStdString(frenchNumber(H)),
                 QString::fromStdString(frenchNumber(kLargestPdfPage)));
    // The page takes whole points: the sheet's size rounded up, so that all of it is on the
    // page, and never a standard paper near it. The parts are placed from the lower left corner,
    // as the sheet's coordinates (and a PDF's) run; the sliver over is left blank.
    const QSize points(static_cast<int>(std::ceil(W / 25.4 * 72.0 - 1e-9)),
                       static_cast<int>(std::ceil(H / 25.4 * 72.0 - 1e-9)));
    const QPageLayout page(QPageSize(points, QString(), QPageSize::ExactMatch),
                           QPageLayout::Portrait, QMarginsF());
    bool painted = true;
    writePdf(pdf, page, title, [&](QPdfWriter& writer) {
        QPainter p(&writer);
        const auto [px, py] = unitsPerMm(p);
        const MmPoint topLeft{0.0, p.device()->height() / py};
        for (std::size_t k = 0; k < pieces.size() && painted; ++k) {
            if (k > 0)
                painted = writer.newPage();
            if (painted) {
                paintPieceOutline(p, partsOnly(pieces[k]), topLeft, px, py);
                paintLabels(p, layoutSheetLabels(layout, k), topLeft, px, py);
            }
        }
    });
    if (!painted) {
        pdf.clear();
        return QStringLiteral("Le fichier PDF n'a pas pu être écrit.");
    }
    return {};
}

} // namespace

QString sheetsPdf(const SheetLayout& layout, const QString& title, QByteArray& pdf, Sheet paper,
                  bool sheetSizePages) {
    pdf.clear();
    if (!layout.ok())
        return QString::fromStdString(layout.error);
    std::vector<PieceOutline> pieces;
    for (std::size_t k = 0; k < layout.sheets.size(); ++k)
        pieces.push_back(sheetPiece(layout, k));
    if (sheetSizePages)
        return sheetSizePdf(layout, pieces, title, pdf);
    // Every sheet has the sheet's size and two caption lines: one tiling serves them all, each
    // leaving out the pages where none of its parts falls.
    const SheetSize size = sheetSize(paper);
    const PageTiling all = tilePiece(pieces.front(), size, 2, "La plaque");
    if (!all.ok())
        return QString::fromStdString(all.error);
    bool painted = true;
    writePdf(pdf, pageLayout(paper), title, [&](QPdfWriter& writer) {
        QPainter p(&writer);
        for (std::size_t k = 0; k < pieces.size() && painted; ++k) {
            PageTiling pages = all;
            dropEmptyTiles(pages, partsOnly(pieces[k]));
            const QStringList caption = layoutSheetCaption(layout, k);
            const std::vector<PartLabel> labels = layoutSheetLabels(layout, k);
            for (std::size_t i = 0; i < pages.tiles.size() && painted; ++i) {
                if (k + i > 0)
                    painted = writer.newPage();
                if (painted)
                    paintPiecePage(p, pieces[k], caption, pages, static_cast<int>(i), labels);
            }
        }
    });
    if (!painted) {
        pdf.clear();
        return QStringLiteral("Le fichier PDF n'a pas pu être écrit.");
    }
    return {};
}

void setPrinterSheet(QPrinter& printer, Sheet sheet) {
    const bool a3 = sheet == Sheet::A3Portrait || sheet == Sheet::A3Landscape;
    printer.setPageSize(QPageSize(a3 ? QPageSize::A3 : QPageSize::A4));
    printer.setPageOrientation(sheet == Sheet::A4Landscape || sheet == Sheet::A3Landscape
                                   ? QPageLayout::Landscape
                                   : QPageLayout::Portrait);
}

QString printPiecePages(QPrinter& printer, const PieceOutline& outline, const QStringList& caption,
                        const QString& part) {
    // The whole sheet is the painter's, so the piece lands where the layout puts it; a scale
    // the driver adds ("fit to page") is the user's to switch off, the check square shows it.
    printer.setFullPage(true);
    const PageTiling pages =
        piecePages(outline, caption, printer.pageLayout().fullRect(QPageLayout::Millimeter).size());
    if (!pages.ok())
        return QString::fromStdString(pages.error);
    if (!paintPiecePages(printer, outline, caption, pages, {}, part) ||
        printer.printerState() == QPrinter::Error)
        return QStringLiteral("L'impression a échoué.");
    return {};
}
