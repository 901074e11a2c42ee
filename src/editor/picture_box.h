#pragma once

#include "editor/picture_view.h"
#include "former/former_model.h"

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QWidget>

#include <optional>
#include <vector>

// The drawing surface of the editor (Picture1): a picture box measured in millimetres, origin
// at the top-left corner, y downwards, with no border (outer size = inner size).
//
// It keeps three layers, from the bottom up: the background picture, a persistent drawing layer
// (the grid) and an overlay (the outline) that every repaint of the window wipes. The
// persistent-drawing switch (AutoRedraw) chooses the layer that drawing and Cls act on: the
// persistent one or the overlay. The picture layer is only set through showPicture and
// clearPicture, so drawing or hiding the grid never touches the traced picture. Over the layers it
// draws the shape and line items of the former model (handles, control polygon, axes); its child
// text boxes and labels are ordinary child widgets placed in millimetres.
class PictureBox : public QWidget {
    Q_OBJECT

public:
    enum class DrawStyle { Solid, Dash, Dot };

    explicit PictureBox(QWidget* parent = nullptr);

    // Size in millimetres; the widget takes the matching pixel size.
    void setScaleSize(QSizeF mm);
    // The area shown, in the former's millimetres.
    double ScaleWidth() const { return scaleW_; }
    double ScaleHeight() const { return scaleH_; }
    // Logical pixels per millimetre of the former, view scale included.
    double pixelsPerMm() const { return pxPerMm_ * viewScale_; }
    // Logical pixels per millimetre of the screen (the view scale aside): what handles and the
    // child boxes are sized with.
    double screenPixelsPerMm() const { return pxPerMm_; }

    // The view scale. Once the design size is recorded, the surface shows the former's
    // millimetres scaled by the smaller of its width and height ratios to that size, from its
    // top-left corner: the drawing keeps its proportions, and room to spare on one axis shows
    // more of the drawing area. The former itself never changes with the surface's size.
    void recordDesignSize();
    // Takes the widget's present size: view scale, millimetre size and layers. Its resize event
    // does it; a window laid out while hidden calls it at once, since its children get their
    // resize events only once shown, after the window has drawn on them.
    void followSize();
    double viewScale() const { return viewScale_; }
    // The surface's size at the view scale 1, in the former's millimetres: the frame the former
    // is drawn in (its axes cross at the middle), whatever the window's size.
    QSizeF designSize() const { return designMm_.isEmpty() ? QSizeF(scaleW_, scaleH_) : designMm_; }

    // Millimetre point to logical pixel and back.
    QPointF toPixels(double x, double y) const { return {x * pixelsPerMm(), y * pixelsPerMm()}; }
    QPointF toMm(QPointF px) const { return px / pixelsPerMm(); }
    // Places a child widget at a rectangle given in millimetres of the screen.
    void placeChild(QWidget* child, QRectF mm);

    // The persistent-drawing switch.
    bool AutoRedraw() const { return autoRedraw_; }
    void setAutoRedraw(bool on) { autoRedraw_ = on; }

    // Clears the layer the switch selects: the overlay only while it is off.
    void Cls();
    // Setting the background colour erases every layer, the picture included.
    void setBackColor(QColor c);
    QColor BackColor() const { return backColor_; }

    void setDrawWidth(int px) { drawWidth_ = px < 1 ? 1 : px; }
    int DrawWidth() const { return drawWidth_; }
    void setDrawStyle(DrawStyle s) { drawStyle_ = s; }
    DrawStyle drawStyle() const { return drawStyle_; }

    // Drawing in millimetres on the selected layer, with the current pen width and style.
    void PSet(double x, double y, QColor c);
    void Line(double x1, double y1, double x2, double y2, QColor c);
    // Draws a batch of outline steps with one painter (the outline of a repaint).
    void drawSteps(const std::vector<DrawStep>& steps);

    // The model whose handles, polygon and axes are drawn over the layers.
    void setItems(const FormerModel* model) { items_ = model; }
    // A line in millimetres drawn over everything (the calibration's rubber line between the
    // first click and the pointer), or none.
    void setMeasureLine(std::optional<QLineF> mm);

    // A repaint of the window, now: wipes the overlay and lets the Paint handler redraw it;
    // the picture is composed on the next paint.
    void Refresh();
    // Something drawn over the layers changed (an item moved, was hidden or recoloured):
    // the surface repaints, which redraws the overlay through the Paint handler.
    void invalidate();

    // The background picture: the part of picture that `at` chooses, drawn where it says over
    // the background colour (nearest pixels, as a plain stretched copy), or nothing but the
    // background colour.
    void showPicture(const QImage& picture, const PicturePlacement& at);
    void clearPicture();

    // The layers, at the device pixel ratio (for tests and snapshots): the picture (opaque),
    // the persistent drawing (the grid, transparent elsewhere) and the overlay.
    const QImage& pictureLayer() const { return picture_; }
    const QImage& backgroundLayer() const { return background_; }
    const QImage& overlayLayer() const { return overlay_; }

    // Renders layers and items (without child widgets) into p, in logical pixels.
    void composeInto(QPainter& p) const;

signals:
    // The screen's resolution or pixel ratio changed: the layers were made anew, blank, at
    // the new pixel ratio and the millimetre scale follows the new resolution; whatever they
    // held must be drawn again.
    void screenChanged();
    // Raised on every repaint, after the overlay was wiped and before the picture is composed.
    void Paint();
    // Mouse events in millimetres; button is the usual bit value (1 left, 2 right, 4 middle).
    void MouseDown(int button, int shift, double x, double y);
    void MouseMove(int button, int shift, double x, double y);
    void MouseUp(int button, int shift, double x, double y);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage& target() {
        if (autoRedraw_) {
            backgroundBlank_ = false;
            return background_;
        }
        overlayBlank_ = false; // drawing follows
        return overlay_;
    }
    void ensureLayers();
    void blankLayers();
    void followScreen(); // re-reads the screen's resolution and pixel ratio
    void wipeOverlay();
    void drawn(); // a drawing operation changed a layer: show it without a repaint
    QPen pen(QColor c, int width) const;
    void drawItems(QPainter& p) const;

    double scaleW_ = 120.0;
    double scaleH_ = 100.0;
    double pxPerMm_ = 96.0 / 25.4;
    double viewScale_ = 1.0;
    QSizeF designMm_; // the design size, in the former's millimetres and in logical pixels;
    QSize designPx_;  // empty until recorded
    bool screenChangePosted_ = false;
    bool autoRedraw_ = false;
    QColor backColor_ = Qt::black;
    int drawWidth_ = 1;
    DrawStyle drawStyle_ = DrawStyle::Solid;
    QImage picture_;
    QImage background_;
    QImage overlay_;
    bool backgroundBlank_ = true; // nothing drawn on the persistent layer since it was cleared
    bool overlayBlank_ = true;    // nothing drawn on the overlay since it was last wiped
    const FormerModel* items_ = nullptr;
    std::optional<QLineF> measureLine_;
    bool overlayCurrent_ = false; // the overlay holds what the next paint must show
    bool inPaint_ = false;
};
