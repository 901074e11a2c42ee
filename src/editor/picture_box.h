#pragma once

#include "editor/picture_view.h"
#include "editor/stretched_copy.h"
#include "editor/surface_layers.h"
#include "former/former_model.h"

#include <QColor>
#include <QCursor>
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
// It shows the drawing through a view of its own ("Loupe"): the whole surface, or a part of it
// up to 32 times larger, which the mouse wheel zooms about the pointer and the middle button or
// Space with the left button pans. Everything drawn follows the view, drawn anew at the zoomed
// size (lines one pixel wide at every factor); the mouse events still give millimetres of the
// drawing, so nothing of the former depends on the view.
//
// It keeps three layers, from the bottom up: the background picture, a persistent drawing layer
// (the grid) and an overlay (the outline) that every repaint of the window wipes. The
// persistent-drawing switch (AutoRedraw) chooses the layer that drawing and Cls act on: the
// persistent one or the overlay. The picture layer is only set through showPicture and
// clearPicture, so drawing or hiding the grid never touches the traced picture. Over the layers it
// draws the shape and line items of the former model (handles, control polygon, axes); its child
// text boxes and labels are ordinary child widgets placed in millimetres.
//
// What the surface shows costs what changed, not what it measures. The picture layer is not
// kept as pixels: each paint reads the picture where it is shown and lays the grid over it in
// one pass, written straight on the window's pixels where the toolkit paints on an image, so a
// pan or a zoom of the picture costs about one copy of the pixels repainted. The overlay
// remembers the drawing calls that made it, so that wiping it and drawing the outline again
// mends only where a call differs; and the surface repaints only the device pixels that the
// changed calls, the moved items, the picture or the grid may have touched. A whole repaint (an
// expose, a resize, another screen) still shows everything, and every pixel is the one a full
// composition of the same state would give (composedAfresh).
class PictureBox : public QWidget {
    Q_OBJECT

public:
    enum class DrawStyle { Solid, Dash, Dot };

    explicit PictureBox(QWidget* parent = nullptr);

    // Size in millimetres; the widget takes the matching pixel size.
    void setScaleSize(QSizeF mm);
    // The whole surface, in the former's millimetres (the area shown when the view is fitted).
    double ScaleWidth() const { return scaleW_; }
    double ScaleHeight() const { return scaleH_; }
    // Logical pixels per millimetre of the former, view scale and zoom included.
    double pixelsPerMm() const { return pxPerMm_ * viewScale_ * zoom_; }
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

    // The drawing's own view: how many times larger than the whole surface it shows the
    // drawing (1 to kMaxZoom), and the point of the drawing at the middle of the surface. The
    // view always lies within the whole surface: at 1 it is the whole surface.
    static constexpr double kMaxZoom = 32.0;
    double viewZoom() const { return zoom_; }
    QPointF viewCentre() const { return centre_; }
    // The part of the drawing shown, in its millimetres.
    QRectF visibleMm() const { return {origin_, QSizeF(scaleW_ / zoom_, scaleH_ / zoom_)}; }
    // Shows the drawing at that zoom about that centre, both brought within their bounds; a
    // change draws everything anew and is told by viewChanged.
    void setView(double zoom, QPointF centre);
    // The wheel: that zoom, the point mm of the drawing staying where it is on the surface.
    void zoomAbout(double zoom, QPointF mm);
    // A drag of the drawing: what it shows moves by mm millimetres of the drawing.
    void panBy(QPointF mm);
    // "Ajuster": the whole surface.
    void fitView() { setView(1.0, centre_); }
    // The zoom a turn of the wheel by `eighths` eighths of a degree leads to from `zoom`: one
    // notch (120) is a third of a doubling, three notches double it exactly.
    static double wheelZoom(double zoom, int eighths);

    // Millimetre point to logical pixel and back.
    QPointF toPixels(double x, double y) const {
        const double k = pixelsPerMm();
        return {(x - origin_.x()) * k, (y - origin_.y()) * k};
    }
    QPointF toMm(QPointF px) const { return px / pixelsPerMm() + origin_; }
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
    // the surface shows it on the next paint.
    void Refresh();
    // Something drawn over the layers changed (an item moved, was hidden or recoloured): the
    // overlay is wiped and redrawn through the Paint handler, as a repaint does, and the surface
    // repaints where the items and the outline changed.
    void invalidate();

    // The background picture: the part of picture that `at` chooses, drawn where it says over
    // the background colour, or nothing but the background colour. Magnified it is a plain
    // stretched copy (nearest pixels); shrunk, each screen pixel is the average of the picture's
    // area it covers, so that a thin line of a plan stays visible.
    void showPicture(const QImage& picture, const PicturePlacement& at);
    void clearPicture();

    // The layers, at the device pixel ratio (for tests and snapshots): the picture (opaque),
    // the persistent drawing (the grid, transparent elsewhere), the overlay and the items.
    const QImage& pictureLayer() const;
    const QImage& backgroundLayer() const { return background_.image(); }
    const QImage& overlayLayer() const;
    // The handles, the control polygon and the axes, over a transparent layer.
    const QImage& itemLayer() const;

    // Renders layers and items (without child widgets) into p, in logical pixels.
    void composeInto(QPainter& p) const;
    // The same composed from scratch, without anything kept: the picture copied again, the
    // drawing calls of the grid and the overlay made again on blank layers, the items drawn
    // over them; at the device pixel ratio. What the surface shows must be exactly this.
    QImage composedAfresh() const;

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
    // The view's zoom or centre changed (the wheel, a pan, "Ajuster", a resize that brought it
    // back within the surface).
    void viewChanged();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // How an item over the layers is drawn, and the device pixels it may cover.
    struct ItemLook {
        QRect bounds;
        int kind = 0; // a line, or a handle's kind plus one
        bool visible = false;
        bool dotted = false;
        int borderWidth = 0;
        Rgb colour;
        double a = 0.0, b = 0.0, c = 0.0, d = 0.0;
        bool drawsLike(const ItemLook& o) const;
    };

    qreal ratio() const { return picture_.image().devicePixelRatio(); }
    // Logical pixels per millimetre of the former at the view's zoom 1.
    double drawingScale() const { return pxPerMm_ * viewScale_; }
    // The view brought within its bounds at the present size; false when nothing changed.
    bool settleView(double zoom, QPointF centre);
    // Everything drawn again in the view just set: the grid from its millimetres, the picture
    // from its placement, the outline by the Paint handler, the items.
    void followView();
    // The pan gestures: the middle button dragged, or the left one while Space is held.
    enum class Pan { None, MiddlePressed, Panning };
    void startPan(QPointF at, Qt::MouseButton button);
    void endPan();
    void keepCursor();
    void restoreCursor();
    QRect layerRect() const { return picture_.image().rect(); }
    // Records a drawing call (millimetres of the drawing) on the layer the switch selects: the
    // persistent one is drawn on at once, the overlay when it is settled.
    void addStroke(Stroke::Kind kind, QPointF fromMm, QPointF toMm, QColor c, int width);
    // The picture layer copied again from the picture and its placement, in the present view.
    void drawPicture();
    // The part of the picture area averaged to `size` pixels, and some around it, kept for the
    // next copies; it holds averaged_.region of that size.
    const QImage& averagedPart(QSize size, const QRect& part);
    void ensureLayers();
    // Sizes every layer to px device pixels at the ratio dpr; keep: what the picture, the grid
    // and the overlay held stays where it was (the item layer is drawn again anyway).
    void fitLayers(QSize px, qreal dpr, bool keep);
    void blankLayers();
    void followScreen(); // re-reads the screen's resolution and pixel ratio
    void wipeOverlay();
    void clearBackground();
    void drawn(); // a drawing operation changed a layer: show it without a repaint
    // Makes the overlay's pixels show its drawing calls, mending where they changed.
    void settleOverlay();
    // The items as the model has them now; when some changed since last shown, the item layer
    // is drawn again and they are repainted.
    std::vector<ItemLook> itemLooks() const;
    void noteItems();
    void changed(const QRect& device) { dirty_.push_back(device); }
    // Repaints what changed: now, or from the event loop once the drawing calls in progress
    // are done.
    void repaintChanged();
    void scheduleRepaint();
    // Where the grid, the outline and the items may have pixels, row by row, as their calls
    // and the items now shown say.
    // pack: their pixels too, for a paint of much of the surface.
    void noteSpans(bool pack);
    // What the surface shows in the device pixels `part`, written in one pass from `first` (its
    // top-left pixel's place, rows `stride` bytes apart): the picture, and the grid, the
    // outline and the items laid over it where they drew.
    void composeRows(uchar* first, qsizetype stride, const QRect& part) const;
    // The window's own pixels under p when it paints on a 32-bit image only shifted (by offset,
    // device pixels) and scaled by the pixel ratio; otherwise none.
    QImage* windowPixels(QPainter& p, QPoint& offset) const;
    void drawItems(QPainter& p) const;
    // The axes, the control polygon and the handles of both sets with the control point each
    // shows, in the order they are drawn.
    template <class OnLine, class OnHandle>
    void visitItems(OnLine&& line, OnHandle&& handle) const {
        line(items_->Line1);
        line(items_->Line4);
        for (const LineItem& l : items_->LinPi)
            line(l);
        auto handles = [&handle](const std::vector<Handle>& set, const std::vector<PointXYZ>& at) {
            for (std::size_t i = 0; i < set.size(); ++i)
                handle(set[i], i < at.size() ? QPointF(at[i].x, at[i].y)
                                             : QPointF(set[i].Left, set[i].Top));
        };
        handles(items_->Shape1, items_->Pts_Doublage);
        handles(items_->shppi, items_->Pts_Couple);
    }
    // The device pixels of a handle drawn centred on its point: its size at the view scale (not
    // the zoom), never less than 7 screen pixels, odd so that the middle pixel is the point's.
    QRect handleRect(const Handle& h, QPointF at) const;
    void drawMeasureLine(QPainter& p) const;

    double scaleW_ = 120.0;
    double scaleH_ = 100.0;
    double pxPerMm_ = 96.0 / 25.4;
    double viewScale_ = 1.0;
    double zoom_ = 1.0;
    QPointF centre_{60.0, 50.0}; // the middle of the whole surface while the zoom is 1
    QPointF origin_;             // the drawing's point at the surface's top-left corner
    Pan pan_ = Pan::None;
    Qt::MouseButton panButton_ = Qt::NoButton;
    QPointF panFrom_;        // logical pixels where the button went down
    QPointF panCentre_;      // the view's centre then
    bool spaceHeld_ = false; // Space held over the surface: the left button pans
    bool pointerInside_ = false;
    bool cursorKept_ = false; // the cursor the pan replaced, to give back
    bool hadCursor_ = false;
    QCursor keptCursor_;
    QSizeF designMm_; // the design size, in the former's millimetres and in logical pixels;
    QSize designPx_;  // empty until recorded
    bool screenChangePosted_ = false;
    bool autoRedraw_ = false;
    QColor backColor_ = Qt::black;
    int drawWidth_ = 1;
    DrawStyle drawStyle_ = DrawStyle::Solid;
    LayerBuffer picture_;       // the picture's pixels, made when asked for or drawn by the toolkit
    bool pictureStale_ = false; // they are read from pictureCopy_ instead, made when asked for
    LayerBuffer background_;
    LayerBuffer overlay_;
    LayerBuffer frame_; // the picture and the grid composed, where a paint cannot write itself
    StretchedCopy pictureCopy_;
    // The picture given and where it lies at the design size, to copy it again in a new view.
    QImage pictureGiven_;
    PicturePlacement placement_;
    PicturePyramid pictureLevels_; // the given picture's halvings
    // The picture area averaged to one size, the part of it a copy that shrinks it needed.
    struct Averaged {
        QImage from; // the picture or the halving of it averaged
        QImage image;
        qint64 key = 0; // of the picture
        QSize size;
        QRect region;
    } averaged_;
    // What the picture layer shows, to copy it again from scratch: the picture (none: the
    // background colour only) as it is copied from (or the part averagedPart of averagedFrom
    // area averaged to averagedTo), its part and where it lands, and what a smaller layer cut
    // off.
    struct PictureShown {
        QImage picture;
        QImage averagedFrom;
        QSize averagedTo;
        QRect averagedPart;
        QRectF target;
        QRect source;
        QRect clip;
    } pictureShown_;
    std::vector<Stroke> backgroundStrokes_; // drawn on the persistent layer since it was cleared
    QRect backgroundBounds_;
    std::vector<Stroke> overlayStrokes_; // drawn on the overlay since it was last wiped
    std::vector<Stroke> overlayShown_;   // what its pixels show
    bool overlaySettled_ = true;         // the same calls
    std::vector<ItemLook> itemsShown_;
    RowSpans gridSpans_, overlaySpans_, itemSpans_; // where each layer may have pixels
    struct {
        bool grid = true, overlay = true, items = true;
    } spansStale_; // their calls or items changed since

    LayerBuffer itemLayer_;    // the items, drawn over a transparent layer
    bool itemsStale_ = true;   // the layer was made again
    std::vector<QRect> dirty_; // device pixels to repaint
    bool repaintScheduled_ = false;
    const FormerModel* items_ = nullptr;
    std::optional<QLineF> measureLine_;
    bool overlayCurrent_ = false; // the overlay holds what the next paint must show
    bool inPaint_ = false;
};
