#include "editor_test_support.h"

#include "editor/application.h"
#include "editor/export_all_dialog.h"
#include "editor/number_box.h"
#include "editor/piece_size_dialog.h"
#include "editor/window_title.h"
#include "print/piece_page.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The real sizes of the whole former and of its top half.
QSizeF realSize(int Piece) {
    return Piece == 2 ? QSizeF(98.10, 80.59) : QSizeF(98.10, 161.18);
}

QSizeF wholeFormer(int) {
    return realSize(5);
}

// What a reader that is not ours (pdfminer) finds in a PDF file, page by page: the page's size,
// its words, its text boxes and the bounds of its drawn paths, in millimetres from the page's
// lower left corner.
constexpr const char* kPdfReader = R"(
import json, sys
from pdfminer.high_level import extract_pages
from pdfminer.layout import LTCurve, LTTextContainer
mm = 25.4 / 72
pages = []
for page in extract_pages(sys.argv[1]):
    p = {"size": [page.bbox[2] * mm, page.bbox[3] * mm], "words": [], "texts": [], "shapes": []}
    for el in page:
        box = [el.x0 * mm, el.y0 * mm, el.x1 * mm, el.y1 * mm]
        if isinstance(el, LTTextContainer):
            p["words"] += el.get_text().split()
            p["texts"].append({"text": " ".join(el.get_text().split()), "box": box})
        elif isinstance(el, LTCurve):
            p["shapes"].append(box)
    pages.append(p)
print(json.dumps(pages))
)";

QJsonArray readPdf(const QByteArray& pdf) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("read.pdf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        return {};
    file.close();
    QProcess python;
    python.start(QStringLiteral(SYSTEM_PYTHON3), {QStringLiteral("-c"), kPdfReader, path});
    python.waitForFinished(60000);
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

QStringList wordsOf(const QJsonValue& page) {
    QStringList words;
    for (const QJsonValue& w : page[QStringLiteral("words")].toArray())
        words << w.toString();
    return words;
}

bool operator==(const PieceSizeChoice& a, const PieceSizeChoice& b) {
    return a.Piece == b.Piece && a.width == b.width && a.height == b.height && a.page == b.page;
}

// The size dialog is wide enough for its title as the title bar shows it, the editor's name
// included, and shows every label and button whole, in French, at 100 % and, in the _200 run,
// at 200 %; the user cannot make it narrower than its title.
TEST(PieceSizeDialogLook, TitleAndEveryLabelShowWhole) {
    QGuiApplication::setApplicationDisplayName(QStringLiteral("EDITEUR de COUPLES"));
    ASSERT_TRUE(useFrenchQtTexts());
    const bool doubled = qEnvironmentVariable("QT_SCALE_FACTOR") == QLatin1String("2");
    for (const char* title : {"Exporter en SVG", "Exporter en PDF", "Imprimer à l'échelle 1:1"}) {
        SCOPED_TRACE(title);
        PieceSizeDialog d(QString::fromUtf8(title), wholeFormer);
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        EXPECT_EQ(d.devicePixelRatio(), doubled ? 2.0 : 1.0);
        const QString shown = shownWindowTitle(d);
        EXPECT_EQ(shown, QString::fromUtf8(title) + QStringLiteral(" — EDITEUR de COUPLES"));
        QFont bold = d.font();
        bold.setBold(true);
        const int needed = QFontMetrics(bold).horizontalAdvance(shown) + 100; // frame buttons
        EXPECT_GE(d.width(), needed);
        d.resize(50, d.height());
        QApplication::processEvents();
        EXPECT_GE(d.width(), needed) << "narrowed by the user";

        QStringList texts;
        for (const QLabel* l : d.findChildren<QLabel*>()) {
            if (l->isVisible()) {
                texts << l->text();
                EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
            }
        }
        for (const QAbstractButton* b : d.findChildren<QAbstractButton*>()) {
            texts << b->text();
            EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
        }
        for (const char* text :
             {"Pièce :", "Largeur :", "Hauteur :", "Garder les proportions", "Annuler"})
            EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
    }
}

// Typed as a user types, then Tab: each text under a French and an English desktop. A number
// is taken as it says, shown with the desktop's separator, and the other side follows; any
// other text marks the box, says why in French and changes nothing the dialog would give.
TEST(PieceSizeDialogInput, DecimalTextsUnderFrenchAndEnglishDesktops) {
    const struct {
        const char* typed;
        double value;       // taken, when no reason
        const char* reason; // words of the refusal
    } rows[] = {
        {"101,1", 101.1, nullptr},
        {"101.1", 101.1, nullptr},
        {"1 011,5", 1011.5, nullptr},
        {"1,2,3", 0, "« 1,2,3 » : un seul séparateur décimal"},
        {"abc", 0, "« abc » n'est pas un nombre"},
        {"", 0, "aucun nombre tapé"},
        {"-5", 0, "valeur négative, hors de l'intervalle 0,01..10000"},
        {"1e3", 0, "pas d'exposant"},
    };
    for (const QLocale& desktop : {QLocale(QLocale::French, QLocale::France),
                                   QLocale(QLocale::English, QLocale::UnitedStates)}) {
        PieceSizeDialog d(QStringLiteral("Exporter en PDF"), realSize, nullptr, true);
        d.widthBox->setDisplayLocale(desktop);
        d.heightBox->setDisplayLocale(desktop);
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        QSignalSpy refusals(&d, &PieceSizeDialog::refused);
        for (const auto& row : rows) {
            SCOPED_TRACE(desktop.name().toStdString() + " typed \"" + row.typed + "\"");
            d.setChoice({5, 100.0, {}, Sheet::A3Portrait});
            const PieceSizeChoice before = d.choice();
            const QString heightBefore = d.heightBox->text();
            refusals.clear();
            ASSERT_TRUE(focusAsTheUser(d.widthBox));
            d.widthBox->selectAll();
            QTest::keyClick(d.widthBox, Qt::Key_Backspace);
            QTest::keyClicks(d.widthBox, QString::fromUtf8(row.typed));
            QTest::keyClick(d.widthBox, Qt::Key_Tab);
            EXPECT_EQ(d.widthBox->isMarked(), row.reason != nullptr);
            EXPECT_EQ(d.widthBox->property("refused").toBool(), row.reason != nullptr);
            if (!row.reason) {
                EXPECT_EQ(d.choice().width, row.value);
                EXPECT_EQ(d.widthBox->text(),
                          QString::number(row.value, 'f', 2).replace('.', desktop.decimalPoint()));
                EXPECT_NEAR(d.heightBox->value(), row.value * 161.18 / 98.10, 1e-9);
                EXPECT_EQ(refusals.count(), 0);
                continue;
            }
            ASSERT_EQ(refusals.count(), 1);
            const QString said = refusals.front().front().toString();
            EXPECT_TRUE(said.startsWith(QStringLiteral("Largeur : "))) << said.toStdString();
            EXPECT_TRUE(said.contains(QString::fromUtf8(row.reason))) << said.toStdString();
            EXPECT_EQ(d.message->text(), said);
            EXPECT_TRUE(d.choice() == before);
            EXPECT_EQ(d.heightBox->text(), heightBefore);
            // The box shows the value in force again, which "OK" then takes.
            EXPECT_EQ(d.widthBox->text(), QString::number(before.width.value_or(0.0), 'f', 2)
                                              .replace('.', desktop.decimalPoint()));
            d.accept();
            EXPECT_EQ(refusals.count(), 1) << "said once";
            EXPECT_EQ(d.result(), QDialog::Accepted);
            EXPECT_TRUE(d.choice() == before);
            d.show();
        }
    }
}

// The dialog opens on the piece's real size, proportions kept and nothing typed; it starts
// again from what the caller remembers; unticked, the side not typed is what its box says.
TEST(PieceSizeDialogInput, RealSizeRememberedChoiceAndStretching) {
    PieceSizeDialog svg(QStringLiteral("Exporter en SVG"), realSize);
    svg.show();
    EXPECT_FALSE(svg.pageBox->isVisible());
    PieceSizeDialog d(QStringLiteral("Exporter en PDF"), realSize, nullptr, true);
    d.show();
    EXPECT_TRUE(d.pageBox->isVisible());
    EXPECT_TRUE(d.keepProportions->isChecked());
    EXPECT_TRUE(d.choice() == PieceSizeChoice{});
    EXPECT_EQ(d.widthBox->value(), 98.10);
    EXPECT_EQ(d.heightBox->value(), 161.18);

    const PieceSizeChoice remembered[] = {{2, 150.0, {}, Sheet::A3Landscape},
                                          {3, {}, 42.125, Sheet::A4Landscape},
                                          {1, 100.0, 40.0, Sheet::A4Portrait}};
    for (const PieceSizeChoice& c : remembered) {
        d.setChoice(c);
        EXPECT_TRUE(d.choice() == c) << c.Piece;
        EXPECT_EQ(d.keepProportions->isChecked(), !(c.width && c.height));
    }
    EXPECT_EQ(d.pieceBox->currentText(), "1/2 couple Bas");
    EXPECT_EQ(d.pageBox->currentText(), "A4 portrait");
    d.setChoice({2, 150.0, {}, Sheet::A3Landscape});
    EXPECT_EQ(d.pieceBox->currentText(), "1/2 couple Haut");
    EXPECT_EQ(d.pageBox->currentText(), "A3 paysage");
    EXPECT_NEAR(d.heightBox->value(), 150.0 * 80.59 / 98.10, 1e-9);
    d.setChoice({2, {}, 42.125, Sheet::A3Landscape});
    EXPECT_EQ(d.heightBox->text().remove(userLocale().decimalPoint()), "42125")
        << "a remembered size shown as exactly as it was typed";
    // Let go: the width stays what its box says, rounded as shown, and the piece stretches.
    d.keepProportions->setChecked(false);
    const PieceSizeChoice stretched = d.choice();
    EXPECT_EQ(stretched.height, 42.125);
    EXPECT_EQ(stretched.width, d.widthBox->shownValue());
    EXPECT_NEAR(*stretched.width, 42.125 * 98.10 / 80.59, 0.005);
}

// "Version DXF" shows for DXF only and is remembered with the rest; in "Exporter tous les
// couples..." it is offered for DXF, "Pages à la taille de la plaque" for PDF, where it takes
// the place of the paper.
TEST(PieceSizeDialogInput, DxfVersionAndSheetSizePagesFollowTheFormat) {
    PieceSizeDialog pdf(QStringLiteral("Exporter en PDF"), realSize, nullptr, true);
    pdf.show();
    EXPECT_FALSE(pdf.dxfBox->isVisible());
    PieceSizeDialog dxf(QStringLiteral("Exporter en DXF"), realSize, nullptr, false, true);
    dxf.show();
    EXPECT_TRUE(dxf.dxfBox->isVisible());
    EXPECT_FALSE(dxf.pageBox->isVisible());
    EXPECT_EQ(dxf.choice().dxf, DxfVersion::AutoCad2000) << "as before at first";
    PieceSizeChoice r12;
    r12.dxf = DxfVersion::R12;
    dxf.setChoice(r12);
    EXPECT_EQ(dxf.dxfBox->currentText(), "R12 (AC1009)");
    EXPECT_TRUE(dxf.choice() == r12);

    ExportAllDialog all(QStringLiteral("Exporter tous les couples"), {"F1", "F2"});
    all.show();
    const struct {
        SheetsFormat format;
        bool sheetPages;
        bool dxf, pages, paper; // enabled
    } rows[] = {{SheetsFormat::Dxf, false, true, false, false},
                {SheetsFormat::Svg, false, false, false, false},
                {SheetsFormat::Pdf, false, false, true, true},
                {SheetsFormat::Pdf, true, false, true, false}};
    for (const auto& r : rows) {
        ExportAllChoice c;
        c.format = r.format;
        c.sheetSizePages = r.sheetPages;
        c.dxf = DxfVersion::R12;
        all.setChoice(c);
        EXPECT_EQ(all.dxfBox->isEnabled(), r.dxf) << int(r.format);
        EXPECT_EQ(all.sheetPages->isEnabled(), r.pages) << int(r.format);
        EXPECT_EQ(all.paperBox->isEnabled(), r.paper) << int(r.format) << r.sheetPages;
        EXPECT_EQ(all.choice().dxf, DxfVersion::R12);
        EXPECT_EQ(all.choice().sheetSizePages, r.sheetPages);
    }
}

// A piece of 400 × 250 mm on A4 portrait: three sheets side by side. Assembled by their
// windows' places, the sheets give exactly the piece drawn whole; each carries a 10 mm check
// square under its window.
TEST(PieceTiledPages, PartsMeetAtTheOverlapsAndEverySheetHasItsSquare) {
    PieceOutline piece; // an ellipse and a smaller one inside, as a former and its doubling
    for (const double k : {1.0, 0.8}) {
        PiecePath run;
        run.doubling = k < 1.0;
        for (int i = 0; i < 360; ++i) {
            const double a = i * 3.14159265358979 / 180.0;
            run.points.push_back({200.0 * k * std::cos(a), 50.0 + 125.0 * k * std::sin(a)});
        }
        piece.paths.push_back(run);
    }
    piece.minX = -200.0, piece.maxX = 200.0, piece.minY = -75.0, piece.maxY = 175.0;
    const QStringList caption = piecePageCaption(Piece::Whole, piece, 3);
    const PageTiling pages = piecePages(piece, caption, {210.0, 297.0});
    ASSERT_TRUE(pages.ok()) << pages.error;
    ASSERT_FALSE(pages.single);
    ASSERT_EQ(pages.tiles.size(), 3u);
    EXPECT_EQ(pages.tiles[2].label, "C1");

    constexpr double px = 5.0; // pixels per millimetre: 127 dpi
    constexpr int dotsPerMetre = 5000;
    auto blank = [](double wMm, double hMm) {
        QImage image(qRound(wMm * px), qRound(hMm * px), QImage::Format_RGB32);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        image.fill(Qt::white);
        return image;
    };
    const double step = pages.windowWidth - kTileOverlap;
    QImage whole = blank(3 * step + kTileOverlap, pages.windowHeight);
    {
        QPainter p(&whole);
        paintPieceOutline(p, piece, {pages.tiles[0].left, pages.tiles[0].top}, px, px);
    }
    auto ink = [](const QImage& image, int x, int y) { return 255 - qGray(image.pixel(x, y)); };
    for (const PageTile& tile : pages.tiles) {
        SCOPED_TRACE(tile.label);
        QImage sheet = blank(210.0, 297.0);
        {
            QPainter p(&sheet);
            paintPiecePage(p, piece, caption, pages, tile.column);
        }
        // The window against its place in the whole drawing.
        const QRect window(qRound(pages.windowLeft * px), qRound(pages.windowTop * px),
                           qRound(pages.windowWidth * px), qRound(pages.windowHeight * px));
        const int offset = qRound(tile.column * step * px);
        int drawn = 0, differing = 0;
        for (int y = 0; y < window.height(); ++y) {
            for (int x = 0; x < window.width(); ++x) {
                const int a = ink(sheet, window.x() + x, window.y() + y);
                drawn += a > 64;
                differing += std::abs(a - ink(whole, offset + x, y)) > 64;
            }
        }
        EXPECT_GT(drawn, 1000);
        EXPECT_LE(differing, 2) << "of " << drawn;

        // The check square: in the left third under the window, the only ink that runs 8 mm
        // long; its sides are measured between the middles of its opposite edges.
        const QRect strip(0, window.bottom() + 1, sheet.width() / 3,
                          sheet.height() - window.bottom() - 1);
        auto edges = [&](bool vertical) {
            std::vector<double> centre; // ink-weighted middle of each long run's band
            double sum = 0, weighted = 0;
            const int across = vertical ? strip.width() : strip.height();
            const int along = vertical ? strip.height() : strip.width();
            for (int i = 0; i <= across; ++i) {
                int run = 0, longest = 0, total = 0;
                for (int j = 0; i < across && j < along; ++j) {
                    const int a = vertical ? ink(sheet, strip.x() + i, strip.y() + j)
                                           : ink(sheet, strip.x() + j, strip.y() + i);
                    run = a > 16 ? run + 1 : 0;
                    longest = std::max(longest, run);
                    total += a;
                }
                if (longest >= 8 * px) {
                    sum += total;
                    weighted += total * double(i);
                } else if (sum > 0) {
                    centre.push_back(weighted / sum);
                    sum = weighted = 0;
                }
            }
            return centre;
        };
        for (const bool vertical : {true, false}) {
            const std::vector<double> e = edges(vertical);
            ASSERT_EQ(e.size(), 2u) << (vertical ? "left and right" : "top and bottom");
            EXPECT_NEAR((e[1] - e[0]) / px, kCheckSquare, 0.1);
        }
    }
}

// The PDF of a part read back: its name and size in the top left corner of a single page,
// outside the outline, and nothing there without a name; beside the label of every page of a
// shared one. A shared piece prints only the pages its outline falls on, and the map and the
// neighbours' labels name only those.
TEST(PiecePdf, NameAndSizeInACornerAndOnlyPagesWithAnOutline) {
    PieceOutline ellipse;
    PiecePath run;
    for (int i = 0; i < 180; ++i) {
        const double a = i * 3.14159265358979 / 90.0;
        run.points.push_back({49.05 * std::cos(a), 80.59 * std::sin(a)});
    }
    ellipse.paths.push_back(run);
    ellipse.minX = -49.05, ellipse.maxX = 49.05, ellipse.minY = -80.59, ellipse.maxY = 80.59;
    PieceOutline ell; // an L of 540 x 480 mm: on A4 portrait its windows B1 and C1 are empty
    ell.paths.push_back({{{0, 0}, {540, 0}, {540, 100}, {100, 100}, {100, 480}, {0, 480}}, false});
    ell.minX = 0, ell.maxX = 540, ell.minY = 0, ell.maxY = 480;
    const struct {
        const char* name;
        const PieceOutline& piece;
        const char* part;
        QStringList labels; // of the pages, in order; empty for a single page
    } rows[] = {
        {"single, named", ellipse, "F4", {}},
        {"single, as before", ellipse, "", {}},
        {"shared, named", ell, "F12", {"A1", "A2", "B2", "C2"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QStringList caption = piecePageCaption(Piece::Whole, row.piece, 3);
        QByteArray pdf;
        ASSERT_EQ(piecePdf(row.piece, caption, QStringLiteral("Couple"), pdf, Sheet::A4Portrait,
                           QString::fromUtf8(row.part)),
                  QString());
        const QJsonArray pages = readPdf(pdf);
        const QString corner = partCornerText(QString::fromUtf8(row.part), row.piece);
        if (row.labels.isEmpty()) {
            ASSERT_EQ(pages.size(), 1);
            double outlineTop = 0;
            for (const QJsonValue& shape : pages[0][QStringLiteral("shapes")].toArray())
                outlineTop = std::max(outlineTop, shape[3].toDouble());
            int inCorner = 0;
            for (const QJsonValue& t : pages[0][QStringLiteral("texts")].toArray()) {
                const QJsonArray box = t[QStringLiteral("box")].toArray();
                if (box[1].toDouble() < 297.0 - kPageMargin)
                    continue;
                ++inCorner;
                EXPECT_EQ(t[QStringLiteral("text")].toString(), corner);
                EXPECT_NEAR(box[0].toDouble(), kPageMargin, 0.5) << "at the left margin";
                EXPECT_GT(box[1].toDouble(), outlineTop) << "above the outline";
                EXPECT_LT(box[3].toDouble(), 297.0 - 3.0) << "where printers print";
            }
            EXPECT_EQ(inCorner, *row.part ? 1 : 0);
            continue;
        }
        ASSERT_EQ(pages.size(), row.labels.size());
        for (qsizetype i = 0; i < pages.size(); ++i) {
            const QStringList words = wordsOf(pages[i]);
            const QString label = row.labels[i];
            SCOPED_TRACE(label.toStdString());
            const QString page = QStringLiteral("%1 page %2 sur %3").arg(label).arg(i + 1).arg(4);
            EXPECT_TRUE(words.join(' ').contains(page)) << words.join(' ').toStdString();
            for (const QString& w : corner.split(' '))
                EXPECT_TRUE(words.contains(w)) << w.toStdString();
            for (const char* absent : {"B1", "C1"})
                EXPECT_FALSE(words.contains(QString::fromLatin1(absent))) << absent;
        }
        // The first page's map and its neighbour below both name A2; the others once or more.
        EXPECT_EQ(wordsOf(pages[0]).count(QStringLiteral("A2")), 2);
        for (const char* label : {"B2", "C2"})
            EXPECT_EQ(wordsOf(pages[0]).count(QString::fromLatin1(label)), 1) << label;
    }
}

// Five formers of 280 × 140 mm on sheets of 600 × 300 mm, printed on A4: each sheet of wood
// is shared among 4 × 2 pages as a large piece is, those without a part left out, and each
// name is drawn in blue where the layout puts it, in every window that shows it and nowhere
// else. On pages of the sheet's own size each sheet is one page with its parts where the
// layout puts them, their names and nothing else.
TEST(SheetPages, EverySheetTiledAtOneToOneWithItsNames) {
    std::vector<LayoutPart> parts;
    for (int i = 0; i < 5; ++i) {
        PieceOutline o;
        o.paths.push_back({{{-140, -70}, {140, -70}, {140, 70}, {-140, 70}}, false});
        o.minX = -140, o.maxX = 140, o.minY = -70, o.maxY = 70;
        parts.push_back({"F" + std::to_string(i + 1), o, "", -1});
    }
    const SheetLayout layout = layOutParts(parts, {600, 300, 5});
    ASSERT_EQ(layout.sheets.size(), 2u);
    QByteArray pdf;
    ASSERT_EQ(sheetsPdf(layout, QStringLiteral("Plaques"), pdf), QString());
    const qsizetype pages = QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page\\b"));
    EXPECT_EQ(pages, 8 + 2) << "the second sheet's part falls on two pages";
    EXPECT_EQ(layoutSheetCaption(layout, 1).front(), QStringLiteral("Plaque 2 sur 2"));

    const PieceOutline sheet = sheetPiece(layout, 0);
    const QStringList caption = layoutSheetCaption(layout, 0);
    const std::vector<PartLabel> labels = layoutSheetLabels(layout, 0);
    ASSERT_EQ(labels.size(), 4u);
    const PageTiling tiles = piecePages(sheet, caption, {210.0, 297.0});
    ASSERT_EQ(tiles.tiles.size(), 8u);
    constexpr double px = 5.0;
    int found = 0;
    for (const PageTile& tile : tiles.tiles) {
        SCOPED_TRACE(tile.label);
        QImage page(qRound(210 * px), qRound(297 * px), QImage::Format_RGB32);
        page.setDotsPerMeterX(5000);
        page.setDotsPerMeterY(5000);
        page.fill(Qt::white);
        {
            QPainter p(&page);
            paintPiecePage(p, sheet, caption, tiles, tile.column + tile.row * tiles.columns,
                           labels);
        }
        // Blue ink only around the names this window shows.
        const QRectF window(tiles.windowLeft, tiles.windowTop, tiles.windowWidth,
                            tiles.windowHeight);
        std::vector<QRectF> around;
        for (const PartLabel& l : labels) {
            const QPointF at(tiles.windowLeft + l.centre.x - tile.left,
                             tiles.windowTop + tile.top - l.centre.y);
            const QRectF box(at.x() - l.height * 2, at.y() - l.height, l.height * 4, l.height * 2);
            if (window.contains(box))
                around.push_back(box);
        }
        std::vector<int> blueIn(around.size(), 0);
        int blueElsewhere = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QRgb c = page.pixel(x, y);
                if (qBlue(c) - qRed(c) < 80)
                    continue;
                const QPointF mm((x + 0.5) / px, (y + 0.5) / px);
                bool in = false;
                for (std::size_t k = 0; k < around.size(); ++k)
                    if (around[k].contains(mm))
                        in = true, ++blueIn[k];
                blueElsewhere += !in;
            }
        for (const int n : blueIn)
            EXPECT_GT(n, 20) << "a name in its window";
        EXPECT_LE(blueElsewhere, 0);
        found += static_cast<int>(around.size());
    }
    EXPECT_GE(found, 4) << "every name shown whole somewhere";

    // One page a sheet, of the sheet's size, at 1:1: the parts' boxes where the layout put
    // them (y up from the sheet's lower left corner, as the page's), and their names alone.
    ASSERT_EQ(sheetsPdf(layout, QStringLiteral("Plaques"), pdf, Sheet::A4Portrait, true),
              QString());
    const QJsonArray sheets = readPdf(pdf);
    ASSERT_EQ(sheets.size(), 2);
    for (qsizetype k = 0; k < sheets.size(); ++k) {
        SCOPED_TRACE("sheet " + std::to_string(k + 1));
        const QJsonValue page = sheets[k];
        for (const auto& [i, mm] : {std::pair{0, 600.0}, {1, 300.0}}) {
            EXPECT_GE(page[QStringLiteral("size")][i].toDouble(), mm) << "the whole sheet";
            EXPECT_LT(page[QStringLiteral("size")][i].toDouble(), mm + 25.4 / 72) << "a point";
        }
        // The drawn paths together cover the parts' boxes together.
        double drawn[4] = {INFINITY, INFINITY, -INFINITY, -INFINITY};
        for (const QJsonValue& shape : page[QStringLiteral("shapes")].toArray()) {
            for (int i = 0; i < 4; ++i)
                drawn[i] = i < 2 ? std::min(drawn[i], shape[i].toDouble())
                                 : std::max(drawn[i], shape[i].toDouble());
        }
        double boxes[4] = {INFINITY, INFINITY, -INFINITY, -INFINITY};
        QStringList names;
        for (const PlacedPart& part : layout.sheets[static_cast<std::size_t>(k)].parts) {
            names << QString::fromStdString(layout.parts[part.part].name);
            boxes[0] = std::min(boxes[0], part.left);
            boxes[1] = std::min(boxes[1], part.bottom);
            boxes[2] = std::max(boxes[2], part.right);
            boxes[3] = std::max(boxes[3], part.top);
        }
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(drawn[i], boxes[i], 0.01) << "side " << i;
        QStringList words = wordsOf(page);
        words.sort();
        names.sort();
        EXPECT_EQ(words, names);
    }

    // A sheet that would take more than 25 pages, and a refused layout, give their reasons; so
    // does a sheet larger than a PDF page may be.
    const SheetLayout wide = layOutParts(parts, {2000, 1000, 5});
    EXPECT_TRUE(
        sheetsPdf(wide, {}, pdf)
            .startsWith(QStringLiteral(
                "La plaque mesure 2000,00 × 1000,00 mm : à l'échelle 1:1 elle demanderait")));
    EXPECT_TRUE(pdf.isEmpty());
    const SheetLayout refused = layOutParts(parts, {200, 100, 5});
    EXPECT_EQ(sheetsPdf(refused, {}, pdf).toStdString(), refused.error);
    const SheetLayout huge = layOutParts(parts, {6000, 300, 5});
    EXPECT_EQ(sheetsPdf(huge, {}, pdf, Sheet::A4Portrait, true),
              QStringLiteral("La plaque de 6000 × 300 mm dépasse la plus grande page qu'un fichier "
                             "PDF puisse avoir (5080 mm de côté)."));
    EXPECT_TRUE(pdf.isEmpty());
}

} // namespace
