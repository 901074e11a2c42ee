#include "editor_test_support.h"

#include "editor/file_dialog.h"
#include "editor/picture_view.h"
#include "editor/stretched_copy.h"
#include "editor/surface_layers.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <QtEndian>

#include <array>
#include <random>

#include <sys/stat.h>

namespace {

// The colour of (x, y) in a picture whose pixels tell where they lie: red and blue are the low
// bits of x and y, green holds their high bits.
QRgb codeOf(int x, int y) {
    return qRgb(x & 255, ((x >> 8) & 15) | ((y >> 8) << 4), y & 255);
}

QImage codedPicture(int width, int height) {
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.setPixel(x, y, codeOf(x, y));
    return img;
}

// The pixel of a layer at a logical pixel of the surface.
QRgb at(const QImage& layer, int x, int y) {
    const qreal dpr = layer.devicePixelRatio();
    return layer.pixel(int(x * dpr), int(y * dpr)) | 0xff000000;
}

const QRgb kBlack = qRgb(0, 0, 0);

TEST(PicturePlacement, PanAndZoomPlaceThePictureOnTheSurface) {
    struct Case {
        int horiz, vert, zoom, width, height;
        QRect src;  // the part of the picture read; empty: nothing shows
        QRectF dst; // where it lands on the surface
    };
    const Case cases[] = {
        // At the initial values the read rectangle starts 30 rows above the picture: its top
        // edge lands 24 pixels down, its left edge at the left edge.
        {650, 70, 80, 1000, 500, {0, 0, 1000, 470}, {0, 24, 800, 376}},
        // "Horiz" at 0 reads from 650 columns left of the picture: it lands 650 pixels right.
        {0, 100, 100, 1000, 500, {0, 0, 350, 500}, {650, 0, 350, 500}},
        {0, 100, 20, 1000, 500, {0, 0, 350, 500}, {130, 0, 70, 100}},
        // At 1300 the picture is drawn from its column 650 on.
        {1300, 100, 100, 1000, 500, {650, 0, 350, 500}, {0, 0, 350, 500}},
        // The zoomed size is rounded to whole pixels: 1.5 becomes 2.
        {650, 100, 50, 3, 3, {0, 0, 3, 3}, {0, 0, 2, 2}},
        // Nothing shows at zoom 0, nor mirrored at a negative zoom, nor read below the picture.
        {650, 70, 0, 1000, 500, {}, {}},
        {650, 70, -20, 1000, 500, {}, {}},
        {650, 1500, 80, 1000, 500, {}, {}},
        {650, 70, 80, 0, 0, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.horiz << " " << c.vert << " " << c.zoom);
        const PicturePlacement p =
            placePicture({.horiz = c.horiz, .vert = c.vert, .zoom = c.zoom}, c.width, c.height);
        EXPECT_EQ(p.visible, !c.src.isEmpty());
        if (p.visible) {
            EXPECT_EQ(QRect(p.srcX, p.srcY, p.srcW, p.srcH), c.src);
            EXPECT_EQ(QRectF(p.dstX, p.dstY, p.dstW, p.dstH), c.dst);
        }
    }
}

// The picture layer, read from its tables, is the toolkit's own stretched copy pixel for pixel,
// whatever the pan, the zoom, the view scale and the pixel ratio; and the part a placement
// reports changed holds every pixel that did.
TEST(PicturePlacement, TheCopyIsTheToolkitsOwnPixelForPixel) {
    std::mt19937 rng(5);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
    for (int round = 0; round < 40; ++round) {
        const QImage picture = codedPicture(pick(1, 700), pick(1, 500));
        const qreal ratio = std::array{1.0, 2.0, 1.5}[std::size_t(round % 3)];
        QImage layer(QSize(pick(20, 400), pick(20, 300)) * ratio, QImage::Format_RGB32);
        layer.setDevicePixelRatio(ratio);
        StretchedCopy copy;
        PictureSliders s;
        double scale = 1.0;
        for (int step = 0; step < 25; ++step) {
            // Mostly a pan by a little, as a drag of "Horiz" or "Vert" makes; now and then
            // anything, a new zoom or view scale.
            switch (pick(0, 5)) {
            case 0:
                s.zoom = pick(0, 3) ? pick(-20, 200) : std::array{25, 50, 100, 200}[pick(0, 3)];
                break;
            case 1:
                scale = pick(0, 1) ? 1.0 : pick(50, 250) / 100.0;
                break;
            case 2:
                s.horiz = pick(0, 1300);
                s.vert = pick(-1000, 1500);
                break;
            default:
                (pick(0, 1) ? s.horiz : s.vert) += pick(-6, 6);
            }
            const PicturePlacement at = placePicture(s, picture.width(), picture.height());
            const QRectF target(at.dstX * scale, at.dstY * scale, at.dstW * scale, at.dstH * scale);
            const QRect source(at.srcX, at.srcY, at.srcW, at.srcH);
            const QImage before = layer.copy();
            const QRect changed = at.visible
                                      ? copy.draw(layer, picture, target, source, kBlack)
                                      : copy.draw(layer, QImage(), QRectF(), QRect(), kBlack);
            QImage expected(layer.size(), QImage::Format_RGB32);
            expected.setDevicePixelRatio(ratio);
            expected.fill(Qt::black);
            if (at.visible) {
                QPainter p(&expected);
                p.setCompositionMode(QPainter::CompositionMode_Source);
                p.drawImage(target, picture, QRectF(source));
            }
            SCOPED_TRACE(testing::Message() << "round " << round << " step " << step);
            ASSERT_TRUE(layer == expected);
            if (step == 0)
                continue;
            for (int y = 0; y < layer.height(); ++y)
                for (int x = 0; x < layer.width(); ++x) {
                    ASSERT_TRUE(changed.contains(x, y) || layer.pixel(x, y) == before.pixel(x, y))
                        << x << "," << y;
                }
        }
    }
}

// A picture's halvings are the rounded means of its blocks of 2 x 2 pixels (an odd last row or
// column with itself), and a shrunk copy is averaged from the smallest one still as large as it
// is shown, down to a single pixel.
TEST(PicturePlacement, HalvingsAverageBlocksAndTheSmallestLargeEnoughServes) {
    std::mt19937 rng(9);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
    for (const QSize size : {QSize(7, 5), QSize(8, 8), QSize(1, 9), QSize(300, 201)}) {
        QImage picture(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                picture.setPixel(x, y, qRgb(pick(0, 255), pick(0, 255), pick(0, 255)));
        const QImage half = halved(picture);
        ASSERT_EQ(half.size(), QSize((size.width() + 1) / 2, (size.height() + 1) / 2));
        for (int y = 0; y < half.height(); ++y)
            for (int x = 0; x < half.width(); ++x) {
                const QRgb p[] = {picture.pixel(2 * x, 2 * y),
                                  picture.pixel(std::min(2 * x + 1, size.width() - 1), 2 * y),
                                  picture.pixel(2 * x, std::min(2 * y + 1, size.height() - 1)),
                                  picture.pixel(std::min(2 * x + 1, size.width() - 1),
                                                std::min(2 * y + 1, size.height() - 1))};
                auto mean = [&p](int (*channel)(QRgb)) {
                    return (channel(p[0]) + channel(p[1]) + channel(p[2]) + channel(p[3]) + 2) / 4;
                };
                ASSERT_EQ(half.pixel(x, y), qRgb(mean(qRed), mean(qGreen), mean(qBlue)))
                    << size.width() << "x" << size.height() << " at " << x << "," << y;
            }
        PicturePyramid levels;
        levels.start(picture);
        EXPECT_EQ(levels.levelFor(picture, size), picture);
        EXPECT_EQ(levels.levelFor(picture, half.size()), half);
        EXPECT_EQ(levels.levelFor(picture, half.size() + QSize(1, 0)), picture);
        EXPECT_EQ(levels.levelFor(picture, QSize(1, 1)).size(), QSize(1, 1));
    }
}

// The picture dialog's entries find pictures whatever the case of their extension.
TEST(PicturePlacement, DialogEntriesIgnoreTheCaseOfExtensions) {
    QTemporaryDir dir;
    const QStringList pictures = {"PLAN.JPG", "plan.Bmp", "plan.jpeg", "plan.jpg", "scan.png"};
    for (const QString& name : pictures + QStringList{"notes.txt", "plan.jpg.txt"})
        writeScratchFile(dir.filePath(name));
    const QStringList entries = pictureDialogFilter().split(";;");
    ASSERT_EQ(entries.size(), 3);
    QStringList patterns;
    for (const QString& e : entries)
        patterns << QRegularExpression("\\((.*)\\)").match(e).captured(1).split(' ');
    EXPECT_TRUE(entries[0].startsWith("*.BMP (") && entries[1].startsWith("*.JPG (") &&
                entries[2].startsWith("*.PNG ("));
    EXPECT_EQ(QDir(dir.path()).entryList(patterns, QDir::Files | QDir::CaseSensitive, QDir::Name),
              pictures);
    EXPECT_EQ(makePictureDialog(nullptr, "")->selectedNameFilter(), "*.BMP") << "the first one";
}

class Picture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        w = shownMain();
        w->dialogs.warning = [this](const QString&, const QString& text) { warnings << text; };
    }
    QString file(const QString& name) const { return dir.filePath(name); }
    QString savedPicture(const QString& name, const QImage& img) const {
        EXPECT_TRUE(img.save(file(name)));
        return file(name);
    }
    void pick(const QString& path) { choosePicture(*w, path); }
    QImage surface() const { return w->ui().Picture1->grab().toImage(); }
    QImage pictureLayer() const { return w->ui().Picture1->pictureLayer(); }
    // What the user sees of the display and its controls, and the sliders "Horiz", "Vert" and
    // "Zoom" when given.
    void expectDisplay(bool on, std::vector<int> sliderValues = {}) const {
        EXPECT_EQ(w->pictureOn(), on);
        EXPECT_EQ(w->ui().Command4->property("tag").toString(), on ? "1" : "0");
        EXPECT_EQ(w->ui().Frame9->isEnabled(), on);
        EXPECT_EQ(w->ui().Label4->isHidden(), on);
        EXPECT_EQ(w->ui().lblX->isHidden(), on);
        EXPECT_EQ(w->ui().lblY->isHidden(), on);
        EXPECT_EQ(w->ps().isNull(), !on);
        if (!sliderValues.empty()) {
            EXPECT_EQ(sliders(), sliderValues);
        }
    }
    // One message since the last, naming all of parts.
    void expectOneWarning(const QStringList& parts) {
        ASSERT_EQ(warnings.size(), 1) << warnings.join("\n").toStdString();
        for (const QString& part : parts)
            EXPECT_TRUE(warnings[0].contains(part)) << warnings[0].toStdString();
        warnings.clear();
    }
    std::vector<int> sliders() const {
        return {w->ui().Slider4->value(), w->ui().Slider6->value(), w->ui().Slider5->value()};
    }

    QTemporaryDir dir;
    QStringList warnings;
    std::unique_ptr<ScriptedEditor> w;
};

// "Horiz" and "Vert" reach every pixel of a picture far larger than their first ranges at any
// "Zoom": each value that brings a pixel under the axes can be typed in the box beside its
// slider (refusals leave the slider and say why), and the screen then shows that pixel there.
TEST_F(Picture, HorizAndVertBringEveryPixelUnderTheAxesTypedInTheirBoxes) {
    pick(savedPicture("coded.png", codedPicture(3000, 2000)));
    w->ui().SSTab1->setCurrentIndex(1);
    PictureBox& p = *w->ui().Picture1;
    const FormerModel& m = w->model();
    auto type = [](NumberBox* box, const QString& text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
        QApplication::processEvents();
    };
    const double k = p.screenPixelsPerMm(); // logical pixels of the design per millimetre
    // Pixels away from where the coding's low bytes wrap, so that a mean of neighbours is near
    // the pixel's own code.
    const QPoint pixels[] = {{10, 10}, {2990, 1990}, {1500, 30}, {20, 1900}};
    for (const int zoom : {200, 100, 80, 30}) {
        type(w->ui().txtZoom, QString::number(zoom));
        ASSERT_EQ(w->ui().Slider5->value(), zoom);
        for (const QPoint& u : pixels) {
            SCOPED_TRACE(testing::Message()
                         << "zoom " << zoom << " pixel " << u.x() << "," << u.y());
            // The pixel's middle on the axes' crossing.
            const int horiz = 650 + int(std::lround(u.x() + 0.5 - m.X1() * k * 100 / zoom));
            const int vert = 100 + int(std::lround(u.y() + 0.5 - m.Y1() * k * 100 / zoom));
            type(w->ui().txtHoriz, QString::number(horiz));
            type(w->ui().txtVert, QString::number(vert));
            ASSERT_EQ(w->ui().Slider4->value(), horiz);
            ASSERT_EQ(w->ui().Slider6->value(), vert);
            EXPECT_FALSE(w->ui().txtHoriz->isMarked());
            // The pixel's middle on the drawing: within half a pixel of it from the axes.
            const double z = zoom / 100.0;
            const QPointF middle((u.x() + 0.5 - (horiz - 650)) * z / k,
                                 (u.y() + 0.5 - (vert - 100)) * z / k);
            EXPECT_LE(std::abs(middle.x() - m.X1()) * k, 0.5 * z + 1e-9);
            EXPECT_LE(std::abs(middle.y() - m.Y1()) * k, 0.5 * z + 1e-9);
            const QPointF there = p.toPixels(middle.x(), middle.y());
            const QRgb shown = at(pictureLayer(), int(there.x()), int(there.y()));
            const QRgb code = codeOf(u.x(), u.y());
            // Magnified, the pixel itself; shrunk, the mean of its neighbourhood.
            const int near = zoom >= 100 ? 0 : 3;
            EXPECT_NEAR(qRed(shown), qRed(code), near);
            EXPECT_NEAR(qGreen(shown), qGreen(code), near);
            EXPECT_NEAR(qBlue(shown), qBlue(code), near);
        }
    }
    EXPECT_EQ(w->ui().IM_Undo->text(), QStringLiteral("&Annuler : déplacer l'image"));
    // Refused: no number, decimals, beyond the slider's reach; the slider stays, the box is
    // marked and the status bar says why.
    const int horiz = w->ui().Slider4->value();
    const struct {
        const char* typed;
        const char* told;
    } refusals[] = {{"abc", "Horiz"}, {"650,5", "Horiz"}, {"99999999", "hors de"}};
    for (const auto& r : refusals) {
        type(w->ui().txtHoriz, QString::fromUtf8(r.typed));
        EXPECT_TRUE(w->ui().txtHoriz->isMarked()) << r.typed;
        EXPECT_EQ(w->ui().Slider4->value(), horiz) << r.typed;
        EXPECT_TRUE(w->statusText().contains(QString::fromUtf8(r.told)))
            << w->statusText().toStdString();
    }
    // A drag of a slider shows in its box, and so does a value taken back.
    const int vert = w->ui().Slider6->value();
    dragSlider(w->ui().Slider6, 1234);
    EXPECT_EQ(w->ui().txtVert->text(), QStringLiteral("1234"));
    w->ui().IM_Undo->trigger();
    EXPECT_EQ(w->ui().Slider6->value(), vert);
    EXPECT_EQ(w->ui().txtVert->value(), vert);
}

// Shrunk to 20 %, a plan's line 3 pixels wide (0.3 mm at 10 pixels a millimetre) stays visible:
// each screen pixel is the mean of the picture's area under it. (Nearest pixels would read
// columns 1002 and 1007 of every five and miss a line on columns 1003 to 1005 altogether.)
TEST_F(Picture, AShrunkPlanKeepsItsThinLines) {
    QImage plan = plainPicture({2000, 1500}, Qt::white);
    for (int y = 0; y < plan.height(); ++y)
        for (int x = 1003; x < 1006; ++x)
            plan.setPixel(x, y, qRgb(0, 0, 0));
    for (int y = 703; y < 706; ++y)
        for (int x = 0; x < plan.width(); ++x)
            plan.setPixel(x, y, qRgb(0, 0, 0));
    pick(savedPicture("plan.png", plan));
    dragSlider(w->ui().Slider5, 20);
    dragSlider(w->ui().Slider6, 100); // the picture's corner at the surface's
    const QImage shown = pictureLayer();
    const qreal r = shown.devicePixelRatio();
    // Along the vertical line and across the horizontal one, every row and column shows it.
    for (int y = 0; y < int(130 * r); ++y) {
        int darkest = 255;
        for (int x = int(195 * r); x <= int(206 * r); ++x)
            darkest = std::min(darkest, qGray(shown.pixel(x, y)));
        EXPECT_LT(darkest, 200) << "row " << y;
    }
    for (int x = 0; x < int(180 * r); ++x) {
        int darkest = 255;
        for (int y = int(135 * r); y <= int(146 * r); ++y)
            darkest = std::min(darkest, qGray(shown.pixel(x, y)));
        EXPECT_LT(darkest, 200) << "column " << x;
    }
}

// Button 0 and "Image On/Off" step by step: a pick always shows the new picture at the initial
// pan and zoom, a cancel changes nothing, and the display switches on by reading the file
// again.
TEST_F(Picture, ChoosingAndSwitchingThePicture) {
    const QString a = savedPicture("a.bmp", codedPicture(300, 200));
    const QString b = savedPicture("b.png", QImage(codedPicture(200, 400)).mirrored());
    const QImage start = surface();
    expectDisplay(false);
    EXPECT_FALSE(w->ui().Frame8->isEnabled());
    // Without a picture "Image On/Off" keeps the display off.
    w->Command4_Click();
    expectDisplay(false);
    // A cancel, at the first use and later, changes nothing at all.
    w->ui().Slider4->setValue(100);
    pick("");
    expectDisplay(false, {100, 70, 80});
    EXPECT_FALSE(w->ui().Frame8->isEnabled());
    EXPECT_EQ(w->PicturePath(), "");
    EXPECT_EQ(surface(), start);
    // Picked with the display off: shown at once with the values the sliders show after reset.
    pick(a);
    expectDisplay(true, {650, 70, 80});
    EXPECT_TRUE(w->ui().Frame8->isEnabled());
    EXPECT_EQ(w->PicturePath(), a);
    EXPECT_EQ(w->ps().size(), QSize(300, 200));
    EXPECT_EQ(at(pictureLayer(), 0, 24), codeOf(0, 0));
    dragSlider(w->ui().Slider4, 700);
    const QImage moved = pictureLayer();
    pick("");
    expectDisplay(true, {700, 70, 80});
    EXPECT_EQ(pictureLayer(), moved);
    // A photo taken on its side comes the right way up: its EXIF orientation 6 says so.
    const char exif[] = "\xFF\xE1\x00\x22"
                        "Exif\0\0"
                        "MM\x00\x2A\x00\x00\x00\x08"
                        "\x00\x01"
                        "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00"
                        "\x00\x00\x00\x00";
    writeScratchFile(file("turned.jpg"), encodedPicture(codedPicture(300, 200), "JPEG")
                                             .insert(2, QByteArray(exif, sizeof exif - 1)));
    pick(file("turned.jpg"));
    EXPECT_EQ(w->ps().size(), QSize(200, 300));
    // Picked with the display on: the new one, reset.
    pick(b);
    expectDisplay(true, {650, 70, 80});
    EXPECT_EQ(w->ps().size(), QSize(200, 400));
    // Off: black with the grid as its button says; on again: the file as it is now.
    w->ui().Command4->click();
    expectDisplay(false);
    EXPECT_EQ(countColour(pictureLayer(), Qt::black),
              pictureLayer().width() * pictureLayer().height());
    EXPECT_GT(countColour(surface(), kGridGreen), 100);
    savedPicture("b.png", codedPicture(50, 60));
    w->ui().Command4->click();
    expectDisplay(true);
    EXPECT_EQ(w->ps().size(), QSize(50, 60));
    EXPECT_EQ(at(pictureLayer(), 0, 24), codeOf(0, 0));
    // Two clicks in a row redraw it and leave it on; a resize keeps it.
    const QImage on = pictureLayer();
    w->ui().Command4->click();
    w->ui().Command4->click();
    expectDisplay(true);
    EXPECT_EQ(pictureLayer(), on);
    w->resize(w->size() + QSize(10, 10));
    QApplication::processEvents();
    expectDisplay(true);
    EXPECT_EQ(at(pictureLayer(), 0, 24), codeOf(0, 0));
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join("\n").toStdString();
}

// The grid has a layer of its own between the picture and the curve.
TEST_F(Picture, GridHidesAndShowsOverThePicture) {
    pick(savedPicture("white.bmp", plainPicture({600, 600}, Qt::white)));
    const QImage layer = pictureLayer();
    EXPECT_GT(countColour(surface(), kGridGreen), 100) << "shown over the picture";
    // Hidden: the picture shows where the lines were, and it is not touched.
    w->ui().pb1(14)->click();
    const int column = deviceX(*w->ui().Picture1, layer, 50.0);
    const QRect line(column, layer.height() / 2, 1, layer.height() / 4);
    EXPECT_EQ(countColour(w->ui().Picture1->backgroundLayer(), kGridGreen), 0);
    EXPECT_EQ(countColour(surface(), Qt::white, line), line.height());
    EXPECT_EQ(pictureLayer(), layer);
    EXPECT_GT(countColour(w->ui().Picture1->overlayLayer(), kYellow), 50) << "the curve stays";
    // Picture off while the grid is hidden: black; shown again: the grid comes back with it.
    w->ui().Command4->click();
    EXPECT_EQ(countColour(w->ui().Picture1->backgroundLayer(), kGridGreen), 0);
    EXPECT_EQ(countColour(surface(), Qt::black, line), line.height());
    w->ui().Command4->click();
    w->ui().pb1(14)->click();
    EXPECT_GT(countColour(surface(), kGridGreen), 100);
    w->ui().Command4->click();
    EXPECT_GT(countColour(surface(), kGridGreen), 100) << "off: the grid as its button says";
}

// Every kind of picture that cannot be shown, when it is chosen and when it is switched on:
// a message names the file and the reason, and nothing changes.
TEST_F(Picture, BadPicturesAreRefusedAndChangeNothing) {
    const QString good = savedPicture("good.bmp", codedPicture(300, 200));
    const QByteArray jpeg = encodedPicture(codedPicture(300, 200), "JPEG");
    // Headers that announce pictures too large to hold at four bytes a pixel, and no pixels:
    // 10000 x 10000 would fit the limit at one byte a pixel; a top-down one announces a
    // negative height.
    const auto header = [](qint32 width, qint32 height) {
        QByteArray h = encodedPicture(QImage(1, 1, QImage::Format_RGB32), "BMP").left(54);
        qToLittleEndian<qint32>(width, h.data() + 18);
        qToLittleEndian<qint32>(height, h.data() + 22);
        return h;
    };
    const QByteArray bmp = encodedPicture(codedPicture(300, 200), "BMP");
    const QByteArray png = encodedPicture(codedPicture(300, 200), "PNG");
    struct Bad {
        const char* name;
        QByteArray bytes; // a folder of that name when "<dir>", nothing when "<none>"
        const char* reason;
    };
    const Bad bad[] = {
        {"absent.bmp", "<none>", "le fichier est introuvable"},
        {"empty.jpg", "", "le fichier n'est pas une image"},
        {"notes.bmp", "Couple 3, tracé le 12 mars\n", "le fichier n'est pas une image"},
        {"cut.jpg", jpeg.left(jpeg.size() / 3), "l'image est endommagée ou incomplète"},
        {"cut.bmp", bmp.left(bmp.size() * 2 / 3), "l'image est endommagée ou incomplète"},
        {"cut.png", png.left(png.size() - 20), "l'image est endommagée ou incomplète"},
        {"huge.bmp", header(100000, 100000), "l'image est trop grande (100000 × 100000 pixels)"},
        {"tenk.bmp", header(10000, 10000), "l'image est trop grande (10000 × 10000 pixels)"},
        {"topdown.bmp", header(9000, -9000), "l'image est trop grande (9000 × 9000 pixels)"},
        {"folder.jpg", "<dir>", "c'est un dossier"},
        {"pipe.png", "<fifo>", "ce n'est pas un fichier ordinaire"},
    };
    const auto place = [this](const QString& path, const QByteArray& bytes) {
        QFile::remove(path);
        QDir(path).removeRecursively();
        if (bytes == "<dir>") {
            QDir().mkpath(path);
        } else if (bytes == "<fifo>") {
            ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (bytes != "<none>") {
            writeScratchFile(path, bytes);
        }
    };
    for (const Bad& c : bad) {
        SCOPED_TRACE(c.name);
        const QString path = file(c.name);
        place(path, c.bytes);
        // Chosen while the good picture shows, panned.
        pick(good);
        dragSlider(w->ui().Slider4, 600);
        const QImage shown = surface();
        pick(path);
        expectOneWarning({path, QString::fromUtf8(c.reason)});
        expectDisplay(true, {600, 70, 80});
        EXPECT_EQ(w->PicturePath(), good);
        EXPECT_EQ(surface(), shown);
        // Switched on once it went bad.
        w->ui().Command4->click();
        QFile::rename(good, file("kept.bmp"));
        place(good, c.bytes);
        const QImage off = surface();
        w->ui().Command4->click();
        expectOneWarning({QString::fromUtf8(c.reason)});
        expectDisplay(false);
        EXPECT_EQ(w->PicturePath(), good);
        EXPECT_EQ(surface(), off);
        place(good, "<none>");
        QFile::rename(file("kept.bmp"), good);
    }
}

// Where a JPEG's scans hold their coded data: from after each scan's header up to the next mark
// (a zero or a restart mark after 0xFF is part of the data).
std::vector<std::pair<qsizetype, qsizetype>> scanData(const QByteArray& b) {
    std::vector<std::pair<qsizetype, qsizetype>> stretches;
    auto byte = [&b](qsizetype i) { return static_cast<unsigned char>(b[i]); };
    for (qsizetype at = 2; at + 4 <= b.size();) {
        if (byte(at) != 0xFF || byte(at + 1) == 0xD9)
            break;
        const qsizetype length = byte(at + 2) * 256 + byte(at + 3);
        const bool scan = byte(at + 1) == 0xDA;
        at += 2 + length;
        if (!scan)
            continue;
        const qsizetype begin = at;
        while (at + 1 < b.size() && !(byte(at) == 0xFF && byte(at + 1) != 0x00 &&
                                      (byte(at + 1) < 0xD0 || byte(at + 1) > 0xD7)))
            ++at;
        stretches.emplace_back(begin, at);
    }
    return stretches;
}

// A picture whose data ends early is refused, wherever it was cut, in every format the dialog
// offers (a progressive JPEG shows a blurred whole long before its end), a JPEG also when its
// end mark was put back after the cut; whole, each reads.
TEST_F(Picture, PicturesCutAnywhereAreRefusedAsIncomplete) {
    const QImage coded = codedPicture(120, 90);
    QByteArray progressive;
    {
        QBuffer buffer(&progressive);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "JPEG");
        writer.setProgressiveScanWrite(true);
        ASSERT_TRUE(writer.write(coded));
    }
    // A BMP stored top-down: rows from the top, a negative height.
    QByteArray topDown = encodedPicture(coded, "BMP");
    {
        const int offset = qFromLittleEndian<qint32>(topDown.constData() + 10);
        const int stride = (120 * 24 + 31) / 32 * 4;
        QByteArray rows = topDown.mid(offset);
        for (int y = 0; y < 90; ++y)
            topDown.replace(offset + y * stride, stride, rows.mid((89 - y) * stride, stride));
        qToLittleEndian<qint32>(-90, topDown.data() + 22);
    }
    const std::pair<const char*, QByteArray> pictures[] = {
        {"plan.bmp", encodedPicture(coded, "BMP")},  {"topdown.bmp", topDown},
        {"plan.jpg", encodedPicture(coded, "JPEG")}, {"progressive.jpg", progressive},
        {"plan.png", encodedPicture(coded, "PNG")},
    };
    for (const auto& [name, bytes] : pictures) {
        SCOPED_TRACE(name);
        QImage read;
        writeScratchFile(file(name), bytes);
        ASSERT_EQ(Main::readPicture(file(name), read), QString());
        if (!QByteArray(name).endsWith(".jpg")) { // lossless: the right way up, every pixel
            EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), coded);
        }
        std::vector<std::pair<qsizetype, QByteArray>> cuts;
        for (int k = 1; k < 40; ++k)
            cuts.emplace_back(bytes.size() * k / 40, QByteArray());
        // A JPEG cut in the middle of a scan's data and given its end mark back looks whole to
        // its structure: only the decoder sees that the data ends early.
        if (QByteArray(name).endsWith(".jpg"))
            for (const auto& [begin, end] : scanData(bytes))
                for (const qsizetype at : {begin + (end - begin) / 4, (begin + end) / 2})
                    cuts.emplace_back(at, QByteArray("\xFF\xD9"));
        for (const auto& [cut, endMark] : cuts) {
            writeScratchFile(file(name), bytes.left(cut) + endMark);
            const QString refusal = Main::readPicture(file(name), read);
            EXPECT_TRUE(refusal.contains("endommagée ou incomplète") ||
                        refusal.contains("pas une image"))
                << "cut at " << cut << " of " << bytes.size()
                << (endMark.isEmpty() ? ": " : ", end mark put back: ") << refusal.toStdString();
        }
    }
}

// "&MsPaint" starts the first paint program found, the path as one argument, without a shell.
TEST_F(Picture, PaintProgramGetsThePathWhole) {
    const QByteArray path = qgetenv("PATH");
    QDir(dir.path()).mkdir("bin");
    for (const char* name : {"gimp", "xdg-open"}) {
        QFile f(file(QStringLiteral("bin/") + name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    std::vector<std::pair<QString, QStringList>> started;
    bool starts = true;
    w->dialogs.program = [&](const QString& program, const QStringList& arguments) {
        started.emplace_back(QFileInfo(program).fileName(), arguments);
        return starts;
    };
    struct Case {
        QString picture, pathDir;
        bool starts;
        std::vector<std::pair<QString, QStringList>> expected;
        bool warned;
    };
    const QString odd = QString::fromUtf8("/tmp/plans d'été/couple \"3\"; rm -rf ~ $(x).jpg");
    const Case cases[] = {
        {"", "bin", true, {}, false}, // no picture: nothing
        {odd, "bin", true, {{"gimp", {odd}}}, false},
        {"/tmp/plan.bmp",
         "bin",
         false,
         {{"gimp", {"/tmp/plan.bmp"}}, {"xdg-open", {"/tmp/plan.bmp"}}},
         true},
        {"/tmp/plan.bmp", "nowhere", true, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture.toStdString());
        qputenv("PATH", QFile::encodeName(file(c.pathDir)));
        started.clear();
        starts = c.starts;
        w->session().choosePicture(QFile::encodeName(c.picture).toStdString());
        w->ui().IM_BACKCOLOR->trigger();
        EXPECT_EQ(started, c.expected);
        if (c.warned)
            expectOneWarning({c.picture});
        EXPECT_TRUE(warnings.isEmpty()) << warnings.join("\n").toStdString();
    }
    qputenv("PATH", path);
}

// What the surface repaints covers every rectangle that changed: exactly their union while they
// are few, and when they are many (an outline wiped and drawn again) no more than their union
// widened to the grid's cells, in a region of few bands, whatever their places (some off the
// surface, some empty, some far apart).
TEST(Layers, TheRegionRepaintedCoversEveryChangeAndLittleMore) {
    std::mt19937 rng(20261207u);
    auto any = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const struct {
        int count;
        int reach; // the rectangles' corners lie within this many pixels of the origin
    } cases[] = {{0, 100},    {1, 100},     {256, 2000},    {257, 2000},
                 {500, 1920}, {3000, 1920}, {1200, 100000}, {300, 40}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " within " << c.reach);
        std::vector<QRect> rects;
        for (int i = 0; i < c.count; ++i)
            rects.emplace_back(any(-60, c.reach), any(-60, c.reach), any(0, 40), any(0, 12));
        const QRegion exact = unionOf(rects);
        const QRegion covering = coveringRegion(rects);
        EXPECT_TRUE((exact - covering).isEmpty()) << "a change left out";
        if (c.count <= 256) {
            EXPECT_TRUE(covering == exact);
            continue;
        }
        QRegion widened;
        for (const QRect& r : rects)
            if (!r.isEmpty())
                widened += r.adjusted(-kCoveringCell, -kCoveringCell, kCoveringCell, kCoveringCell);
        EXPECT_TRUE((covering - widened).isEmpty()) << "more than the cells around the changes";
        EXPECT_LE(covering.rectCount(), std::max(exact.rectCount(), 1)) << "no more pieces";
        // The region is a sound one: its own pieces give it back.
        QRegion again;
        for (const QRect& r : covering)
            again += r;
        EXPECT_TRUE(again == covering);
    }
}

} // namespace
