#include "editor/piece_page.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

namespace {

constexpr double kMargin = 10.0;   // mm around everything
constexpr double kGap = 6.0;       // mm between the piece and its caption
constexpr double kLine = 6.0;      // mm per caption line
constexpr double kSquare = 10.0;   // the check square's side, mm
constexpr double kPdfDpi = 9600.0; // fine enough that no coordinate is rounded visibly

double captionHeight(int lines) {
    return kGap + lines * kLine + 2.0 + kSquare;
}

QString mm(double v) {
    return QString::fromStdString(frenchMillimetres(v));
}

// A sheet's side: "210", "215,9".
QString sheetMm(double v) {
    QString s = QString::number(v, 'f', 1);
    if (s.endsWith(QLatin1String(".0")))
        s.chop(2);
    return s.replace('.', ',');
}

} // namespace

QStringList piecePageCaption(Piece piece, const PieceOutline& outline, int thicknessMm) {
    return {QString::fromUtf8(pieceName(piece).data(), pieceName(piece).size()),
            QStringLiteral("Largeur : %1 mm    Hauteur : %2 mm    Epaisseur : %3 mm")
                .arg(mm(outline.width()), mm(outline.height()))
                .arg(thicknessMm)};
}

QString piecePageRefusal(const PieceOutline& outline, QSizeF pageMm) {
    const double roomW = pageMm.width() - 2 * kMargin;
    const double roomH = pageMm.height() - 2 * kMargin - captionHeight(2);
    if (outline.width() <= roomW && outline.height() <= roomH)
        return {};
    return QStringLiteral("La pièce mesure %1 × %2 mm : elle ne tient pas à l'échelle 1:1 sur "
                          "la page de %3 × %4 mm, qui laisse %5 × %6 mm au dessin.")
        .arg(mm(outline.width()), mm(outline.height()), sheetMm(pageMm.width()),
             sheetMm(pageMm.height()), sheetMm(roomW), sheetMm(roomH));
}

void paintPiecePage(QPagedPaintDevice& device, const PieceOutline& outline,
                    const QStringList& caption) {
    const double px = device.logicalDpiX() / 25.4; // device units per millimetre
    const double py = device.logicalDpiY() / 25.4;
    // The sheet as painted, which may differ from its nominal size by a rounding of the
    // page's points: the piece is centred on what comes out.
    const QSizeF page(device.width() / px, device.height() / py);
    QPainter p(&device);
    p.setRenderHint(QPainter::Antialiasing);

    // The block (piece, caption, square) is centred on the sheet, the piece on its middle line.
    const double blockH = outline.height() + captionHeight(static_cast<int>(caption.size()));
    const double top = (page.height() - blockH) / 2.0;
    const double left = (page.width() - outline.width()) / 2.0;
    // Piece millimetres (y up, origin on the axes) to the sheet's device units.
    auto at = [&](const MmPoint& q) {
        return QPointF((left + q.x - outline.minX) * px, (top + outline.maxY - q.y) * py);
    };
    QPainterPath path;
    for (const PiecePath& run : outline.paths) {
        path.moveTo(at(run.points.front()));
        for (std::size_t k = 1; k < run.points.size(); ++k) {
            path.lineTo(at(run.points[k]));
        }
        path.closeSubpath();
    }
    QPen pen(Qt::black);
    pen.setWidthF(0.15 * px); // a fine line the knife can follow
    p.setPen(pen);
    p.drawPath(path);

    QFont font = p.font();
    font.setPointSizeF(10.0);
    p.setFont(font);
    double y = top + outline.height() + kGap;
    for (const QString& line : caption) {
        p.drawText(QRectF(0, y * py, page.width() * px, kLine * py),
                   Qt::AlignHCenter | Qt::AlignVCenter, line);
        y += kLine;
    }
    y += 2.0;
    const QString label = QStringLiteral("Carré de contrôle : 10 mm × 10 mm");
    const double labelW = p.fontMetrics().horizontalAdvance(label) / px;
    const double rowLeft = (page.width() - kSquare - 3.0 - labelW) / 2.0;
    pen.setWidthF(0.1 * px);
    p.setPen(pen);
    p.drawRect(QRectF(rowLeft * px, y * py, kSquare * px, kSquare * py));
    p.drawText(QRectF((rowLeft + kSquare + 3.0) * px, y * py, labelW * px + 2 * px, kSquare * py),
               Qt::AlignLeft | Qt::AlignVCenter, label);
}

QString piecePdf(const PieceOutline& outline, const QStringList& caption, const QString& title,
                 QByteArray& pdf) {
    pdf.clear();
    const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
    if (QString refusal = piecePageRefusal(outline, a4.fullRect(QPageLayout::Millimeter).size());
        !refusal.isEmpty())
        return refusal;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(static_cast<int>(kPdfDpi));
        writer.setPageLayout(a4);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("EDITEUR de COUPLES"));
        paintPiecePage(writer, outline, caption);
    }
    return {};
}
