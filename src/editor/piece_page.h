#pragma once

#include "export/piece_outline.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QPagedPaintDevice;

// One page with the piece at exactly 1:1, centred, its caption under it and a 10 mm check
// square to measure the print with a ruler. Used for the PDF file and for printing.

// The lines written under the piece: its name, then its width, height and thickness.
QStringList piecePageCaption(Piece piece, const PieceOutline& outline, int thicknessMm);

// "" when the piece and its caption fit on a page of that size, otherwise a French message
// naming both sizes.
QString piecePageRefusal(const PieceOutline& outline, QSizeF pageMm);

// Draws the page on `device` (a PDF writer or a printer that paints the whole sheet). The
// caller has checked piecePageRefusal.
void paintPiecePage(QPagedPaintDevice& device, const PieceOutline& outline,
                    const QStringList& caption);

// The page as a PDF document on A4 portrait, or a refusal (pdf is then empty).
QString piecePdf(const PieceOutline& outline, const QStringList& caption, const QString& title,
                 QByteArray& pdf);
