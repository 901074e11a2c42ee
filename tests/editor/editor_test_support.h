#pragma once

#include "editor/number_box.h"
#include "editor/picture_box.h"
#include "editor/scripted_editor.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

// A started editor window, shown on the offscreen platform with its events handled, as a
// user would first see it.
inline std::unique_ptr<ScriptedEditor> shownMain(QSizeF surfaceMm = {Main::kDesignSurfaceWidth,
                                                                     Main::kDesignSurfaceHeight}) {
    auto w = std::make_unique<ScriptedEditor>(surfaceMm);
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    return w;
}

// Gives `widget` the keyboard focus and waits until its window is the active one, so that a
// Tab then leaves the widget as it would leave it for the user. A loaded machine may deliver
// the activation late, or give it back to a window shown earlier: ask again until it holds.
inline bool focusAsTheUser(QWidget* widget) {
    return QTest::qWaitFor(
        [widget] {
            if (!widget->hasFocus()) {
                widget->activateWindow();
                widget->setFocus(Qt::OtherFocusReason);
            }
            return widget->hasFocus();
        },
        5000);
}

// Number of pixels of exactly that colour inside region (device pixels; the whole image when
// the region is empty).
inline int countColour(const QImage& image, QColor colour, QRect region = {}) {
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    if (region.isNull())
        region = img.rect();
    region &= img.rect();
    const QRgb want = colour.rgba();
    int n = 0;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = region.left(); x <= region.right(); ++x)
            n += line[x] == want;
    }
    return n;
}

// The device-pixel column of a millimetre x on the surface.
inline int deviceX(const PictureBox& p, const QImage& layer, double xMm) {
    return static_cast<int>(xMm * p.pixelsPerMm() * layer.devicePixelRatio());
}

// Writes a scratch file holding exactly these bytes, replacing what was there.
inline void writeScratchFile(const QString& path, const QByteArray& bytes = {}) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// The bytes of a picture file of that format.
inline QByteArray encodedPicture(const QImage& picture, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(picture.save(&buffer, format));
    return bytes;
}

// Moves a slider as a user dragging its thumb does.
inline void dragSlider(QSlider* s, int value) {
    s->setSliderDown(true);
    s->setSliderPosition(value);
    s->setSliderDown(false);
}

// A picture of one colour.
inline QImage plainPicture(QSize size, QColor colour) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

// Toolbar button 0, the user answering its picture dialog with path ("" cancels).
inline void choosePicture(ScriptedEditor& w, const QString& path) {
    w.dialogs.fileName = [path](const QString&, const QString&, int) { return path; };
    w.ui().pb1(0)->click();
}

inline const QColor kGridGreen{0, 192, 0};
inline const QColor kYellow{255, 255, 0};
inline const QColor kRed{255, 0, 0};
