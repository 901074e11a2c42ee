#include "picture_box.h"

#include "engine3d/band_workers.h"
#include "view3d/event_codes.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QScreen>

#include <QMetaObject>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

QColor toQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

// The pixel a colour fills a layer of that format with.
QRgb filledPixel(QImage::Format format, QColor c) {
    QImage one(1, 1, format);
    one.fill(c);
    return *reinterpret_cast<const QRgb*>(one.constBits());
}

// A pixel coordinate as a whole number, however far off the surface (or undefined) it lies.
int wholePixel(double v) {
    return int(std::floor(v >= -1.0e8 ? std::min(v, 1.0e8) : -1.0e8));
}

// A line item's pen is one pixel wide: its pixels lie up to a pixel beyond the line's ends.
QRectF lineReach(QPointF from, QPointF to) {
    constexpr double reach = 1.0;
    return QRectF(from, to).normalized().adjusted(-reach, -reach, reach, reach);
}

} // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    // The millimetre scale follows the screen's logical resolution, as the system's own
    // millimetre scale mode did.
    pxPerMm_ = logicalDpiX() / 25.4;
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true); // moves without a button update the coordinate boxes
    setScaleSize({scaleW_, scaleH_});
    // Space is watched wherever the keyboard focus is: held over the surface, it pans.
    QCoreApplication::instance()->installEventFilter(this);
}

void PictureBox::setScaleSize(QSizeF mm) {
    scaleW_ = mm.width();
    scaleH_ = mm.height();
    settleView(zoom_, centre_);
    resize(qRound(scaleW_ * drawingScale()), qRound(scaleH_ * drawingScale()));
    ensureLayers();
}

void PictureBox::recordDesignSize() {
    designMm_ = QSizeF(scaleW_ / viewScale_, scaleH_ / viewScale_);
    designPx_ = size();
}

void PictureBox::placeChild(QWidget* child, QRectF mm) {
    const double k = pxPerMm_;
    child->setGeometry(qRound(mm.left() * k), qRound(mm.top() * k), qRound(mm.width() * k),
                       qRound(mm.height() * k));
}

// ---------------------------------------------------------------------------------------
// Layers

void PictureBox::ensureLayers() {
    const qreal dpr = devicePixelRatioF();
    const QSize px = size() * dpr;
    const QImage& now = picture_.image();
    if (now.size() == px && now.devicePixelRatio() == dpr && !now.isNull())
        return;
    if (now.isNull() || now.devicePixelRatio() != dpr) {
        // Stretching what was drawn at another pixel ratio would blur it: it is drawn again.
        blankLayers();
        return;
    }
    // Keep what the layers held: a resize or a change of screen must not lose the grid. What a
    // smaller layer cuts off stays cut off.
    settleOverlay();
    const QRect kept = now.rect() & QRect(QPoint(0, 0), px);
    fitLayers(px, dpr, true);
    for (auto* strokes : {&backgroundStrokes_, &overlayStrokes_, &overlayShown_})
        for (Stroke& s : *strokes) {
            s.clip &= kept;
            s.bounds &= kept;
        }
    backgroundBounds_ &= kept;
    spansStale_ = {true, true, true};
    pictureShown_.clip &= kept;
    pictureCopy_.fitLayer(px);
    pictureCopy_.forget();
    changed(layerRect());
}

void PictureBox::fitLayers(QSize px, qreal dpr, bool keep) {
    // The picture's pixels are read from its tables (made when asked for): never filled here.
    picture_.fit(px, dpr, QImage::Format_RGB32, filledPixel(QImage::Format_RGB32, backColor_),
                 true);
    background_.fit(px, dpr, QImage::Format_ARGB32_Premultiplied, 0, keep);
    overlay_.fit(px, dpr, QImage::Format_ARGB32_Premultiplied, 0, keep);
    // The items clear where they were drawn when drawn again.
    itemLayer_.fit(px, dpr, QImage::Format_ARGB32_Premultiplied, 0, keep);
    itemsStale_ = true;
}

void PictureBox::blankLayers() {
    const qreal dpr = devicePixelRatioF();
    if (dpr == ratio() && !picture_.image().isNull()) {
        // Cleared where they were drawn only: a window dragged to another size fills no whole
        // layer.
        fitLayers(size() * dpr, dpr, true);
        background_.fillDevice(backgroundBounds_, 0);
        for (const Stroke& s : overlayShown_)
            overlay_.fillDevice(s.bounds, 0);
    } else {
        fitLayers(size() * dpr, dpr, false);
        itemsShown_.clear();
    }
    pictureShown_ = {};
    pictureGiven_ = QImage();
    placement_ = {};
    changed(pictureCopy_.place(picture_.image().size(), ratio(), QImage(), QRectF(), QRect(),
                               filledPixel(QImage::Format_RGB32, backColor_)));
    pictureStale_ = true;
    backgroundStrokes_.clear();
    backgroundBounds_ = {};
    overlayStrokes_.clear();
    overlayShown_.clear();
    overlaySettled_ = true;
    spansStale_ = {true, true, true};
    changed(layerRect());
}

void PictureBox::followScreen() {
    const double k = logicalDpiX() / 25.4;
    if (k == pxPerMm_ && devicePixelRatioF() == ratio())
        return;
    if (k != pxPerMm_) {
        // Millimetres follow the new resolution; the window's layout gives the new size.
        pxPerMm_ = k;
        if (!designPx_.isEmpty())
            designPx_ = QSize(qRound(designMm_.width() * k), qRound(designMm_.height() * k));
        else
            resize(qRound(scaleW_ * k), qRound(scaleH_ * k));
    }
    blankLayers();
    overlayCurrent_ = false;
    update();
    // Told from the event loop: this may run inside a paint, where nothing may be laid out.
    if (!screenChangePosted_) {
        screenChangePosted_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                screenChangePosted_ = false;
                emit screenChanged();
            },
            Qt::QueuedConnection);
    }
}

void PictureBox::wipeOverlay() {
    // The calls are forgotten now, the pixels when the overlay settles: what the Paint handler
    // draws again in the same place is left as it is.
    if (overlayStrokes_.empty())
        return;
    overlayStrokes_.clear();
    overlaySettled_ = false;
}

void PictureBox::clearBackground() {
    if (backgroundStrokes_.empty())
        return;
    background_.fillDevice(backgroundBounds_, 0);
    changed(backgroundBounds_);
    backgroundStrokes_.clear();
    backgroundBounds_ = {};
    spansStale_.grid = true;
}

void PictureBox::settleOverlay() {
    if (overlaySettled_)
        return;
    overlaySettled_ = true;
    const qreal r = ratio();
    const QRect layer = layerRect();
    const std::vector<Stroke>& now = overlayStrokes_;
    const std::size_t common = std::min(now.size(), overlayShown_.size());
    // The pixels that may differ: those of the calls that differ, before and after.
    std::vector<QRect> touched;
    for (std::size_t i = 0; i < common; ++i)
        if (!now[i].drawsLike(overlayShown_[i])) {
            touched.push_back(overlayShown_[i].bounds);
            touched.push_back(now[i].bounds);
        }
    const bool appended = touched.empty() && overlayShown_.size() <= now.size();
    for (std::size_t i = common; i < overlayShown_.size(); ++i)
        touched.push_back(overlayShown_[i].bounds);
    for (std::size_t i = common; i < now.size(); ++i)
        touched.push_back(now[i].bounds);
    if (touched.empty())
        return; // the same calls: the same pixels
    if (!appended) {
        // Cleared where the old calls drew, all made again: drawn whole, a line takes the same
        // pixels as on a blank layer, where a clipped one may not.
        for (const Stroke& s : overlayShown_)
            overlay_.fillDevice(s.bounds, 0);
    }
    QPainter p(&overlay_.image());
    for (std::size_t i = appended ? common : 0; i < now.size(); ++i)
        paintStroke(p, now[i], r, layer);
    p.end();
    for (const QRect& t : touched)
        changed(t);
    overlayShown_ = now;
    spansStale_.overlay = true;
}

const QImage& PictureBox::overlayLayer() const {
    // Only the pixels: the calls they show are the same before and after.
    const_cast<PictureBox*>(this)->settleOverlay();
    return overlay_.image();
}

const QImage& PictureBox::pictureLayer() const {
    auto* self = const_cast<PictureBox*>(this);
    if (pictureStale_) {
        QImage& layer = self->picture_.image();
        for (int y = 0; y < layer.height(); ++y)
            pictureCopy_.span(y, 0, layer.width(), reinterpret_cast<QRgb*>(layer.scanLine(y)));
        self->pictureStale_ = false;
    }
    return picture_.image();
}

const QImage& PictureBox::itemLayer() const {
    const_cast<PictureBox*>(this)->noteItems();
    return itemLayer_.image();
}

void PictureBox::noteSpans(bool pack) {
    const int height = layerRect().height();
    std::vector<QRect> rects;
    auto spansOf = [&](const std::vector<Stroke>& strokes, RowSpans& spans) {
        rects.clear();
        for (const Stroke& s : strokes)
            rects.push_back(s.bounds);
        spans.build(rects, height);
    };
    if (std::exchange(spansStale_.grid, false))
        spansOf(backgroundStrokes_, gridSpans_);
    if (std::exchange(spansStale_.overlay, false))
        spansOf(overlayShown_, overlaySpans_);
    if (std::exchange(spansStale_.items, false)) {
        rects.clear();
        for (const ItemLook& k : itemsShown_)
            if (k.visible)
                rects.push_back(k.bounds);
        itemSpans_.build(rects, height);
    }
    if (!pack)
        return;
    for (auto [spans, layer] : {std::pair{&gridSpans_, &background_},
                                {&overlaySpans_, &overlay_},
                                {&itemSpans_, &itemLayer_}})
        if (!spans->packed())
            spans->pack(layer->image());
}

void PictureBox::composeRows(uchar* first, qsizetype stride, const QRect& part) const {
    const int begin = part.left();
    const int end = part.right() + 1;
    auto at = [&](int y) { return reinterpret_cast<QRgb*>(first + (y - part.top()) * stride); };
    // The picture first: a row showing the same picture row as the one above (a picture
    // magnified) is that row copied.
    for (int y = part.top(); y <= part.bottom(); ++y) {
        QRgb* out = at(y);
        if (!pictureCopy_.tabled())
            std::memcpy(out, picture_.image().constScanLine(y) + begin * 4,
                        std::size_t(end - begin) * sizeof(QRgb));
        else if (y > part.top() && pictureCopy_.pictureRow(y) >= 0 &&
                 pictureCopy_.pictureRow(y) == pictureCopy_.pictureRow(y - 1))
            std::memcpy(out, at(y - 1), std::size_t(end - begin) * sizeof(QRgb));
        else
            pictureCopy_.span(y, begin, end, out);
    }
    // The grid, the outline and the items over it, each only where it may have pixels (its
    // layer is clear elsewhere), while the rows are at hand.
    const std::pair<const RowSpans*, const QImage*> layers[] = {{&gridSpans_, &background_.image()},
                                                                {&overlaySpans_, &overlay_.image()},
                                                                {&itemSpans_, &itemLayer_.image()}};
    for (int y = part.top(); y <= part.bottom(); ++y) {
        QRgb* o = at(y) - begin;
        for (const auto& [spans, image] : layers)
            spans->visit(*image, y, begin, end,
                         [o](int from, int to, const QRgb* over, bool opaque) {
                             if (opaque)
                                 std::memcpy(o + from, over + from, std::size_t(to - from) * 4);
                             else
                                 blendOver(o, over, from, to);
                         });
    }
}

QImage* PictureBox::windowPixels(QPainter& p, QPoint& offset) const {
    QPaintEngine* engine = p.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster)
        return nullptr;
    QPaintDevice* device = engine->paintDevice();
    if (!device || device->devType() != QInternal::Image)
        return nullptr;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format f = image->format();
    if ((f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
         f != QImage::Format_ARGB32_Premultiplied) ||
        !image->isDetached())
        return nullptr;
    const QTransform t = p.deviceTransform();
    const qreal r = ratio();
    if (t.type() > QTransform::TxScale || t.m11() != r || t.m22() != r ||
        t.dx() != std::round(t.dx()) || t.dy() != std::round(t.dy()) || std::abs(t.dx()) > 1.0e6 ||
        std::abs(t.dy()) > 1.0e6)
        return nullptr;
    offset = QPoint(int(t.dx()), int(t.dy()));
    return image;
}

// ---------------------------------------------------------------------------------------
// Drawing

void PictureBox::drawn() {
    overlayCurrent_ = true;
    if (!inPaint_)
        scheduleRepaint();
}

void PictureBox::scheduleRepaint() {
    // Drawing calls come in bursts (the grid's lines, a wipe and the outline): the surface
    // repaints once they are done.
    if (repaintScheduled_)
        return;
    repaintScheduled_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            repaintScheduled_ = false;
            repaintChanged();
        },
        Qt::QueuedConnection);
}

void PictureBox::repaintChanged() {
    settleOverlay();
    noteItems();
    if (dirty_.empty())
        return;
    const qreal r = ratio();
    std::vector<QRect> logical;
    logical.reserve(dirty_.size());
    for (const QRect& d : dirty_)
        logical.push_back(toLogical(d, r));
    dirty_.clear();
    update(coveringRegion(std::move(logical)));
}

void PictureBox::Cls() {
    if (autoRedraw_)
        clearBackground();
    else
        wipeOverlay();
    drawn();
}

void PictureBox::setBackColor(QColor c) {
    backColor_ = c;
    pictureShown_ = {};
    pictureGiven_ = QImage();
    placement_ = {};
    changed(pictureCopy_.place(picture_.image().size(), ratio(), QImage(), QRectF(), QRect(),
                               filledPixel(QImage::Format_RGB32, backColor_)));
    pictureStale_ = true;
    clearBackground();
    wipeOverlay();
    drawn();
}

void PictureBox::showPicture(const QImage& picture, const PicturePlacement& at) {
    const bool shows = at.visible && !picture.isNull();
    pictureGiven_ = shows ? picture : QImage();
    pictureLevels_.start(pictureGiven_);
    placement_ = shows ? at : PicturePlacement{};
    drawPicture();
}

void PictureBox::drawPicture() {
    const qreal r = ratio();
    const QRect layer = layerRect();
    QImage copied;   // what the layer copies from: the picture, or its area average
    QImage averaged; // the picture whose average `copied` is
    QSize shrunkTo;  // the size it is averaged to, and the part of that `copied` holds
    QRect shrunkPart;
    QRectF target; // logical pixels
    QRect source;  // pixels of `copied`
    if (!pictureGiven_.isNull()) {
        const PicturePlacement& at = placement_;
        // The placement is in logical pixels of the design size: in device pixels of the
        // view, a point p of it lies at (p - shift) * g.
        const double g = viewScale_ * zoom_ * r;
        const QPointF shift = origin_ * pxPerMm_;
        const double kx = at.dstW / at.srcW; // logical pixels of the design per picture pixel
        const double ky = at.dstH / at.srcH;
        const double dx = kx * g; // device pixels per picture pixel
        const double dy = ky * g;
        // Where the picture's first pixel lands, and the part placed that the layer shows.
        const double x0 = (at.dstX - at.srcX * kx - shift.x()) * g;
        const double y0 = (at.dstY - at.srcY * ky - shift.y()) * g;
        const QRectF placed((at.dstX - shift.x()) * g, (at.dstY - shift.y()) * g, at.dstW * g,
                            at.dstH * g);
        const QRectF shown = placed & QRectF(layer);
        if (!shown.isEmpty() && dx >= 1.0 && dy >= 1.0) {
            // Magnified: the picture's pixels under the layer, one more on each side, stretched;
            // never more than the layer, however large the zoom.
            const int c0 = std::max(at.srcX, wholePixel((shown.left() - x0) / dx) - 1);
            const int c1 = std::min(at.srcX + at.srcW, -wholePixel((x0 - shown.right()) / dx) + 1);
            const int r0 = std::max(at.srcY, wholePixel((shown.top() - y0) / dy) - 1);
            const int r1 = std::min(at.srcY + at.srcH, -wholePixel((y0 - shown.bottom()) / dy) + 1);
            if (c1 > c0 && r1 > r0) {
                copied = pictureGiven_;
                source = QRect(c0, r0, c1 - c0, r1 - r0);
                target = QRectF((x0 + c0 * dx) / r, (y0 + r0 * dy) / r, (c1 - c0) * dx / r,
                                (r1 - r0) * dy / r);
            }
        } else if (!shown.isEmpty()) {
            // Shrunk: the picture area averaged to its size on the screen, copied pixel for
            // pixel from its first pixel's place.
            const int w = pictureGiven_.width();
            const int h = pictureGiven_.height();
            const QSize size(std::max(1, int(std::lround(w * dx))),
                             std::max(1, int(std::lround(h * dy))));
            const int left = wholePixel(x0 + 0.5);
            const int top = wholePixel(y0 + 0.5);
            const double sx = double(size.width()) / w;
            const double sy = double(size.height()) / h;
            const QRect part =
                QRect(QPoint(int(std::lround(at.srcX * sx)), int(std::lround(at.srcY * sy))),
                      QPoint(int(std::lround((at.srcX + at.srcW) * sx)) - 1,
                             int(std::lround((at.srcY + at.srcH) * sy)) - 1)) &
                layer.translated(-left, -top);
            if (!part.isEmpty()) {
                copied = averagedPart(size, part);
                averaged = averaged_.from;
                source = part.translated(-averaged_.region.topLeft());
                target = QRectF((left + part.x()) / r, (top + part.y()) / r, part.width() / r,
                                part.height() / r);
                shrunkTo = size;
                shrunkPart = averaged_.region;
            }
        }
    }
    // Only the tables: the pixels are read where they are painted. What the toolkit alone can
    // copy is drawn on the layer at once.
    const QRgb back = filledPixel(QImage::Format_RGB32, backColor_);
    changed(pictureCopy_.place(layer.size(), r, copied, target, source, back));
    pictureStale_ = pictureCopy_.tabled();
    if (!pictureStale_)
        pictureCopy_.draw(picture_.image(), copied, target, source, back);
    pictureShown_ =
        copied.isNull() ? PictureShown{} : PictureShown{copied, averaged, shrunkTo, shrunkPart,
                                                        target, source,   layer};
    drawn();
}

const QImage& PictureBox::averagedPart(QSize size, const QRect& part) {
    Averaged& a = averaged_;
    if (a.image.isNull() || a.key != pictureGiven_.cacheKey() || a.size != size ||
        !a.region.contains(part)) {
        // Made for the part shown; once a pan leaves it, with a quarter of the layer around,
        // so that a pan by less reads nothing of the picture again (a zoom step would not use
        // that margin).
        const bool panned =
            !a.image.isNull() && a.key == pictureGiven_.cacheKey() && a.size == size;
        const QSize margin = panned ? layerRect().size() / 4 : QSize(0, 0);
        a.region =
            part.adjusted(-margin.width(), -margin.height(), margin.width(), margin.height()) &
            QRect(QPoint(0, 0), size);
        a.from = pictureLevels_.levelFor(pictureGiven_, size);
        a.image = areaAveraged(a.from, size, a.region);
        a.key = pictureGiven_.cacheKey();
        a.size = size;
    }
    return a.image;
}

void PictureBox::clearPicture() {
    showPicture(QImage(), {});
}

void PictureBox::addStroke(Stroke::Kind kind, QPointF fromMm, QPointF toMm, QColor c, int width) {
    Stroke s = makeStroke(kind, static_cast<Stroke::Style>(drawStyle_), width, c.rgba(),
                          toPixels(fromMm.x(), fromMm.y()), toPixels(toMm.x(), toMm.y()), ratio(),
                          layerRect());
    s.fromMm = fromMm;
    s.toMm = toMm;
    if (!autoRedraw_) {
        overlayStrokes_.push_back(s);
        overlaySettled_ = false;
        return;
    }
    QPainter p(&background_.image());
    paintStroke(p, s, ratio(), layerRect());
    backgroundStrokes_.push_back(s);
    backgroundBounds_ |= s.bounds;
    changed(s.bounds);
    spansStale_.grid = true;
}

void PictureBox::PSet(double x, double y, QColor c) {
    addStroke(Stroke::Kind::Dot, {x, y}, {x, y}, c, drawWidth_);
    drawn();
}

void PictureBox::Line(double x1, double y1, double x2, double y2, QColor c) {
    addStroke(Stroke::Kind::Line, {x1, y1}, {x2, y2}, c, drawWidth_);
    drawn();
}

void PictureBox::drawSteps(const std::vector<DrawStep>& steps) {
    for (const DrawStep& s : steps) {
        const QPointF from(s.from.x, s.from.y);
        if (s.kind == DrawStep::Kind::Dot)
            addStroke(Stroke::Kind::Dot, from, from, toQColor(s.colour), s.width);
        else
            addStroke(Stroke::Kind::Line, from, {s.to.x, s.to.y}, toQColor(s.colour), s.width);
    }
    drawn();
}

void PictureBox::Refresh() {
    wipeOverlay();
    inPaint_ = true;
    emit Paint();
    inPaint_ = false;
    overlayCurrent_ = true;
    repaintChanged();
}

void PictureBox::invalidate() {
    Refresh();
}

// ---------------------------------------------------------------------------------------
// Items over the layers

bool PictureBox::ItemLook::drawsLike(const ItemLook& o) const {
    return bounds == o.bounds && kind == o.kind && visible == o.visible && dotted == o.dotted &&
           borderWidth == o.borderWidth && colour.r == o.colour.r && colour.g == o.colour.g &&
           colour.b == o.colour.b && a == o.a && b == o.b && c == o.c && d == o.d;
}

std::vector<PictureBox::ItemLook> PictureBox::itemLooks() const {
    std::vector<ItemLook> looks;
    if (!items_)
        return looks;
    const qreal r = ratio();
    auto line = [&](const LineItem& l) {
        ItemLook k;
        k.kind = 0;
        k.visible = l.Visible;
        k.dotted = l.Dotted;
        k.colour = l.BorderColor;
        // Where it is drawn, the view included.
        const QPointF from = toPixels(l.X1, l.Y1);
        const QPointF to = toPixels(l.X2, l.Y2);
        k.a = from.x();
        k.b = from.y();
        k.c = to.x();
        k.d = to.y();
        k.bounds = toDevice(lineReach(from, to), r);
        looks.push_back(k);
    };
    auto handle = [&](const Handle& h, QPointF at) {
        ItemLook k;
        k.kind = 1 + static_cast<int>(h.kind);
        k.visible = h.Visible;
        k.borderWidth = h.BorderWidth;
        k.colour = h.BorderColor;
        // Its pixels are the rectangle's.
        const QRect shape = handleRect(h, at);
        k.a = shape.x();
        k.b = shape.y();
        k.c = shape.width();
        k.d = shape.height();
        k.bounds = shape;
        looks.push_back(k);
    };
    visitItems(line, handle);
    return looks;
}

void PictureBox::noteItems() {
    std::vector<ItemLook> now = itemLooks();
    const std::size_t common = std::min(now.size(), itemsShown_.size());
    std::vector<QRect> touched;
    auto touch = [&touched](const ItemLook& k) {
        if (k.visible)
            touched.push_back(k.bounds);
    };
    for (std::size_t i = 0; i < common; ++i)
        if (!now[i].drawsLike(itemsShown_[i])) {
            touch(itemsShown_[i]);
            touch(now[i]);
        }
    for (std::size_t i = common; i < itemsShown_.size(); ++i)
        touch(itemsShown_[i]);
    for (std::size_t i = common; i < now.size(); ++i)
        touch(now[i]);
    if (touched.empty() && !itemsStale_)
        return;
    // The items are drawn whole on a layer of their own: a shape clipped to the part of the
    // surface that a paint shows may take other pixels than it does unclipped.
    for (const ItemLook& k : itemsShown_)
        if (k.visible)
            itemLayer_.fillDevice(k.bounds, 0);
    QPainter p(&itemLayer_.image());
    drawItems(p);
    p.end();
    spansStale_.items = true;
    for (const QRect& t : touched)
        changed(t);
    itemsShown_ = std::move(now);
    itemsStale_ = false;
}

QRect PictureBox::handleRect(const Handle& h, QPointF at) const {
    const qreal r = ratio();
    // Odd sides in device pixels: the size at the view scale, but no less than 7 screen
    // pixels.
    const int least = 2 * int(std::ceil((7.0 * r - 1.0) / 2.0)) + 1;
    auto side = [&](double mm) {
        const double px = std::min(mm * drawingScale() * r, 1.0e6);
        return std::max(least, 2 * int(std::lround((px - 1.0) / 2.0)) + 1);
    };
    const int w = side(h.Width);
    const int hgt = side(h.Height);
    // The pixel under the point is the middle one (a point far off the surface is left there).
    const QPointF c = toPixels(at.x(), at.y()) * r;
    const int x = wholePixel(c.x());
    const int y = wholePixel(c.y());
    return {x - (w - 1) / 2, y - (hgt - 1) / 2, w, hgt};
}

void PictureBox::drawItems(QPainter& p) const {
    if (!items_)
        return;
    auto drawLine = [&](const LineItem& l) {
        if (!l.Visible)
            return;
        QPen pn(toQColor(l.BorderColor), 1);
        if (l.Dotted)
            pn.setStyle(Qt::DotLine);
        p.setPen(pn);
        p.drawLine(toPixels(l.X1, l.Y1), toPixels(l.X2, l.Y2));
    };
    const qreal r = ratio();
    auto drawHandle = [&](const Handle& h, QPointF at) {
        if (!h.Visible)
            return;
        // In device pixels, whole ones: the border lies inside the shape, and the shape is
        // symmetric about the pixel of its point.
        const QRect d = handleRect(h, at);
        const QColor colour = toQColor(h.BorderColor);
        const int border = std::max(1, int(std::lround(h.BorderWidth * r)));
        p.save();
        p.scale(1.0 / r, 1.0 / r);
        p.setRenderHint(QPainter::Antialiasing, false);
        switch (h.kind) {
        case Handle::Kind::Square:
            for (const QRect& band :
                 QRegion(d) - QRegion(d.adjusted(border, border, -border, -border)))
                p.fillRect(band, colour);
            break;
        case Handle::Kind::FilledSquare:
            p.fillRect(d, colour);
            break;
        case Handle::Kind::Circle: {
            QPainterPath ring;
            ring.setFillRule(Qt::OddEvenFill);
            ring.addEllipse(QRectF(d));
            ring.addEllipse(QRectF(d).adjusted(border, border, -border, -border));
            p.fillPath(ring, colour);
            break;
        }
        }
        p.restore();
    };
    visitItems(drawLine, drawHandle);
}

void PictureBox::setMeasureLine(std::optional<QLineF> mm) {
    measureLine_ = mm;
    update();
}

void PictureBox::composeInto(QPainter& p) const {
    p.drawImage(QPointF(0, 0), pictureLayer());
    if (!backgroundStrokes_.empty())
        p.drawImage(QPointF(0, 0), background_.image());
    p.drawImage(QPointF(0, 0), overlayLayer());
    drawItems(p);
    drawMeasureLine(p);
}

void PictureBox::drawMeasureLine(QPainter& p) const {
    // The calibration's rubber line, over everything while the user places it; setMeasureLine
    // repaints the whole surface.
    if (!measureLine_)
        return;
    p.setPen(QPen(QColor(0, 255, 255), 1, Qt::DashLine));
    p.drawLine(toPixels(measureLine_->x1(), measureLine_->y1()),
               toPixels(measureLine_->x2(), measureLine_->y2()));
}

QImage PictureBox::composedAfresh() const {
    const qreal r = ratio();
    const QRect layer = layerRect();
    QImage shown(layer.size(), QImage::Format_RGB32);
    shown.setDevicePixelRatio(r);
    shown.fill(backColor_);
    if (!pictureShown_.picture.isNull()) {
        // A shrunk picture is averaged again from the picture itself, only the part shown.
        const bool averaged = !pictureShown_.averagedFrom.isNull();
        const QRect part = pictureShown_.source;
        const QImage picture =
            averaged ? areaAveraged(pictureShown_.averagedFrom, pictureShown_.averagedTo,
                                    part.translated(pictureShown_.averagedPart.topLeft()))
                     : pictureShown_.picture;
        QPainter p(&shown);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        if (pictureShown_.clip != layer)
            p.setClipRect(QRectF(pictureShown_.clip.x() / r, pictureShown_.clip.y() / r,
                                 pictureShown_.clip.width() / r, pictureShown_.clip.height() / r));
        p.drawImage(pictureShown_.target, picture,
                    averaged ? QRectF(QPointF(0, 0), part.size()) : QRectF(part));
    }
    for (const std::vector<Stroke>* strokes : {&backgroundStrokes_, &overlayStrokes_}) {
        if (strokes->empty())
            continue;
        QImage drawn(layer.size(), QImage::Format_ARGB32_Premultiplied);
        drawn.setDevicePixelRatio(r);
        drawn.fill(Qt::transparent);
        QPainter p(&drawn);
        for (const Stroke& s : *strokes)
            paintStroke(p, s, r, layer);
        p.end();
        QPainter(&shown).drawImage(QPointF(0, 0), drawn);
    }
    QPainter p(&shown);
    drawItems(p);
    return shown;
}

bool PictureBox::event(QEvent* event) {
    if (event->type() == QEvent::ScreenChangeInternal)
        followScreen();
    return QWidget::event(event);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    // A change of screen or of its scale shows here at the latest.
    followScreen();
    ensureLayers();
    if (!overlayCurrent_) {
        // A repaint of the window wipes the overlay; the Paint handler redraws it.
        wipeOverlay();
        inPaint_ = true;
        emit Paint();
        inPaint_ = false;
    }
    overlayCurrent_ = false;
    settleOverlay();
    noteItems();
    const qreal r = ratio();
    const QRegion& region = event->region();
    if (!dirty_.empty()) {
        // What changed beyond this paint is shown by the next one.
        std::vector<QRect> rest;
        for (const QRect& d : dirty_)
            if (!(QRegion(toLogical(d, r)) - region).isEmpty())
                rest.push_back(toLogical(d, r));
        dirty_.clear();
        if (!rest.empty())
            QMetaObject::invokeMethod(
                this, [this, later = coveringRegion(std::move(rest))] { update(later); },
                Qt::QueuedConnection);
    }
    const QRect layer = layerRect();
    long long area = 0;
    for (const QRect& a : region)
        area += qint64(a.width()) * a.height();
    noteSpans(area * r * r > 262144.0);
    QPainter p(this);
    auto logical = [r](const QRect& d) {
        return QRectF(d.x() / r, d.y() / r, d.width() / r, d.height() / r);
    };
    // Every layer in one pass, on the window's own pixels where it can be.
    QPoint offset;
    QImage* window = windowPixels(p, offset);
    const QRegion windowClip = window ? p.paintEngine()->systemClip() : QRegion();
    auto compose = [this](QImage& on, const QRect& part, QPoint shift) {
        const qsizetype stride = on.bytesPerLine();
        uchar* const first =
            on.bits() + (part.top() + shift.y()) * stride + qsizetype(part.left() + shift.x()) * 4;
        // A large part in bands of rows, on every core: each band writes its own rows.
        constexpr int kBandRows = 32;
        const int bands = (part.height() + kBandRows - 1) / kBandRows;
        if (qint64(part.width()) * part.height() < 65536 || bands < 2) {
            composeRows(first, stride, part);
            return;
        }
        BandWorkers::shared().run(bands, [&](int band) {
            const int top = band * kBandRows;
            composeRows(first + top * stride, stride,
                        QRect(part.left(), part.top() + top, part.width(),
                              std::min(kBandRows, part.height() - top)));
        });
    };
    // Whole device pixels, one on one.
    for (const QRect& a : region) {
        const QRect source = toDevice(a, r) & layer;
        if (source.isEmpty())
            continue;
        if (window) {
            QRegion parts(source.translated(offset) & window->rect());
            if (!windowClip.isEmpty())
                parts &= windowClip;
            for (const QRect& part : parts)
                compose(*window, part.translated(-offset), offset);
        } else {
            if (frame_.image().size() != layer.size())
                frame_.fit(layer.size(), r, QImage::Format_RGB32, 0, false);
            compose(frame_.image(), source, QPoint(0, 0));
            p.drawImage(logical(source), frame_.image(), source);
        }
    }
    drawMeasureLine(p);
}

void PictureBox::resizeEvent(QResizeEvent*) {
    followSize();
}

void PictureBox::followSize() {
    const QSize px = size();
    const QPointF originBefore = origin_;
    bool redraw = false;
    if (!designPx_.isEmpty()) {
        // The view scale follows the surface; at the design size the design's millimetres
        // stay exact.
        const double s = std::min(double(px.width()) / designPx_.width(),
                                  double(px.height()) / designPx_.height());
        if (s != viewScale_) {
            viewScale_ = s;
            redraw = true;
        }
        if (px == designPx_) {
            scaleW_ = designMm_.width();
            scaleH_ = designMm_.height();
        } else {
            scaleW_ = px.width() / drawingScale();
            scaleH_ = px.height() / drawingScale();
        }
    } else if (px != QSize(qRound(scaleW_ * pxPerMm_), qRound(scaleH_ * pxPerMm_))) {
        // A size given from outside (a layout) changes the millimetre size; setScaleSize
        // keeps the exact millimetres it was given.
        scaleW_ = px.width() / pxPerMm_;
        scaleH_ = px.height() / pxPerMm_;
    }
    // The view keeps its centre within the new size; what shows at the corner may move.
    const bool viewMoved = settleView(zoom_, centre_);
    if (origin_.x() != originBefore.x() || origin_.y() != originBefore.y())
        redraw = true;
    if (redraw)
        blankLayers(); // nothing drawn in the old view stays; the resize handler redraws
    ensureLayers();
    overlayCurrent_ = false;
    if (viewMoved)
        emit viewChanged();
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    if (pan_ != Pan::None)
        return; // another button while the drawing is dragged
    // The middle button, or the left one while Space is held, drags the drawing.
    if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && spaceHeld_)) {
        startPan(event->position(), event->button());
        return;
    }
    const QPointF mm = toMm(event->position());
    emit MouseDown(mouseButtonCode(event->button()), shiftKeyCode(event->modifiers()), mm.x(),
                   mm.y());
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    pointerInside_ = rect().contains(event->position().toPoint());
    if (pan_ != Pan::None) {
        // The middle button pans once it has moved as far as a drag needs: a click pins.
        if (pan_ == Pan::MiddlePressed &&
            (event->position() - panFrom_).manhattanLength() >= QApplication::startDragDistance()) {
            pan_ = Pan::Panning;
            keepCursor();
            setCursor(Qt::ClosedHandCursor);
        }
        // The point of the drawing under the button stays under the pointer.
        if (pan_ == Pan::Panning)
            setView(zoom_, panCentre_ - (event->position() - panFrom_) / pixelsPerMm());
        return;
    }
    const QPointF mm = toMm(event->position());
    emit MouseMove(mouseButtonCode(event->buttons()), shiftKeyCode(event->modifiers()), mm.x(),
                   mm.y());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    // (Another button let go during a drag of the drawing is let go as ever.)
    if (pan_ != Pan::None && event->button() == panButton_) {
        const bool click = pan_ == Pan::MiddlePressed;
        endPan();
        if (click) {
            // A click of the middle button is what a press of it always was, made once the
            // button is up.
            const int shift = shiftKeyCode(event->modifiers());
            const QPointF from = toMm(panFrom_);
            emit MouseDown(mouseButtonCode(Qt::MiddleButton), shift, from.x(), from.y());
            const QPointF to = toMm(event->position());
            emit MouseUp(mouseButtonCode(Qt::MiddleButton), shift, to.x(), to.y());
        }
        return;
    }
    const QPointF mm = toMm(event->position());
    emit MouseUp(mouseButtonCode(event->button()), shiftKeyCode(event->modifiers()), mm.x(),
                 mm.y());
}
