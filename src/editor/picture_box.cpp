#include "picture_box.h"

#include "view3d/event_codes.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
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
}

void PictureBox::setScaleSize(QSizeF mm) {
    scaleW_ = mm.width();
    scaleH_ = mm.height();
    resize(qRound(scaleW_ * pixelsPerMm()), qRound(scaleH_ * pixelsPerMm()));
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
    overlayBounds_ &= kept;
    overlayRegionKnown_ = false;
    pictureShown_.clip &= kept;
    pictureCopy_.forget();
    changed(layerRect());
}

void PictureBox::fitLayers(QSize px, qreal dpr, bool keep) {
    picture_.fit(px, dpr, QImage::Format_RGB32, filledPixel(QImage::Format_RGB32, backColor_),
                 keep);
    background_.fit(px, dpr, QImage::Format_ARGB32_Premultiplied, 0, keep);
    overlay_.fit(px, dpr, QImage::Format_ARGB32_Premultiplied, 0, keep);
    itemLayer_.fit(px, dpr, QImage::Format_ARGB32_Premultiplied, 0, false);
    itemsStale_ = true;
    base_.fit(px, dpr, QImage::Format_RGB32, 0, true);
    fitBaseTiles();
}

void PictureBox::blankLayers() {
    fitLayers(size() * devicePixelRatioF(), devicePixelRatioF(), false);
    pictureShown_ = {};
    pictureCopy_.forget();
    backgroundStrokes_.clear();
    backgroundBounds_ = {};
    backgroundOpaque_ = true;
    overlayStrokes_.clear();
    overlayShown_.clear();
    overlaySettled_ = true;
    overlayBounds_ = {};
    overlayRegionKnown_ = false;
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
    markBaseStale(backgroundBounds_);
    backgroundStrokes_.clear();
    backgroundBounds_ = {};
    backgroundOpaque_ = true;
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
    overlayRegionKnown_ = false;
    overlayBounds_ = {};
    for (const Stroke& s : overlayShown_)
        overlayBounds_ |= s.bounds;
}

const QImage& PictureBox::overlayLayer() const {
    // Only the pixels: the calls they show are the same before and after.
    const_cast<PictureBox*>(this)->settleOverlay();
    return overlay_.image();
}

void PictureBox::fitBaseTiles() {
    const QSize px = layerRect().size();
    baseColumns_ = (px.width() + kBaseTile - 1) / kBaseTile;
    baseStale_.assign(
        std::size_t(baseColumns_) * std::size_t((px.height() + kBaseTile - 1) / kBaseTile), 1);
}

void PictureBox::markBaseStale(const QRect& device) {
    const QRect r = device & layerRect();
    if (r.isEmpty())
        return;
    for (int ty = r.top() / kBaseTile; ty <= r.bottom() / kBaseTile; ++ty)
        std::fill_n(baseStale_.begin() + std::ptrdiff_t(ty) * baseColumns_ + r.left() / kBaseTile,
                    r.right() / kBaseTile - r.left() / kBaseTile + 1, std::uint8_t(1));
}

void PictureBox::composeBase(const QRect& device) {
    const QRect r = device & layerRect();
    if (r.isEmpty())
        return;
    for (int ty = r.top() / kBaseTile; ty <= r.bottom() / kBaseTile; ++ty)
        for (int tx = r.left() / kBaseTile; tx <= r.right() / kBaseTile; ++tx) {
            std::uint8_t& stale = baseStale_[std::size_t(ty) * std::size_t(baseColumns_) + tx];
            if (stale)
                composeBaseTile(QRect(tx * kBaseTile, ty * kBaseTile, kBaseTile, kBaseTile) &
                                layerRect());
            stale = 0;
        }
}

void PictureBox::composeBaseTile(const QRect& tile) {
    if (backgroundOpaque_) {
        for (int y = tile.top(); y <= tile.bottom(); ++y)
            composeBaseSpan(y, tile.left(), tile.right() + 1);
        return;
    }
    // Some pixels of the grid may be partly covered: the toolkit blends them.
    QImage base = base_.devicePixels();
    const QImage& picture = picture_.image();
    for (int y = tile.top(); y <= tile.bottom(); ++y)
        std::memcpy(base.scanLine(y) + tile.left() * 4, picture.constScanLine(y) + tile.left() * 4,
                    std::size_t(tile.width()) * 4);
    QPainter p(&base);
    p.drawImage(tile.topLeft(), background_.devicePixels(), tile);
}

void PictureBox::composeBaseSpan(int y, int begin, int end) {
    // The grid's pixels are its colours or nothing (the layer is clear beyond its strokes):
    // each is the grid's or the picture's, chosen pixel by pixel in one pass over the row.
    QImage& base = base_.image();
    const QImage& picture = picture_.image();
    const QImage& background = background_.image();
    // Three images of their own: the loop is vectorised.
    QRgb* __restrict out = reinterpret_cast<QRgb*>(base.bits() + y * base.bytesPerLine());
    const QRgb* __restrict under =
        reinterpret_cast<const QRgb*>(picture.constBits() + y * picture.bytesPerLine());
    const QRgb* __restrict over =
        reinterpret_cast<const QRgb*>(background.constBits() + y * background.bytesPerLine());
    for (int x = begin; x < end; ++x) {
        const QRgb grid = over[x];
        const QRgb mask = 0u - QRgb(grid >= 0xff000000u); // all ones where the grid is
        out[x] = (grid & mask) | (under[x] & ~mask);
    }
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
    update(unionOf(std::move(logical)));
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
    const QRect changedPicture = pictureCopy_.draw(picture_.image(), QImage(), QRectF(), QRect(),
                                                   filledPixel(QImage::Format_RGB32, backColor_));
    changed(changedPicture);
    markBaseStale(changedPicture);
    clearBackground();
    wipeOverlay();
    drawn();
}

void PictureBox::showPicture(const QImage& picture, const PicturePlacement& at) {
    const bool shows = at.visible && !picture.isNull();
    // Placed in pixels of the design size: the view scale keeps it under the curve.
    const double s = viewScale_;
    const QRectF target =
        shows ? QRectF(at.dstX * s, at.dstY * s, at.dstW * s, at.dstH * s) : QRectF();
    const QRect source = shows ? QRect(at.srcX, at.srcY, at.srcW, at.srcH) : QRect();
    // The picture with the grid over it follows row by row, while the row is at hand.
    int composed = 0;
    const bool follow = !backgroundStrokes_.empty() && backgroundOpaque_;
    const QRect changedPicture = pictureCopy_.draw(
        picture_.image(), shows ? picture : QImage(), target, source,
        filledPixel(QImage::Format_RGB32, backColor_), [this, follow, &composed](int y) {
            if (follow) {
                composeBaseSpan(y, 0, picture_.image().width());
                ++composed;
            }
        });
    pictureShown_ = shows ? PictureShown{picture, target, source, layerRect()} : PictureShown{};
    changed(changedPicture);
    if (follow && composed == picture_.image().height())
        std::fill(baseStale_.begin(), baseStale_.end(), std::uint8_t(0));
    else
        markBaseStale(changedPicture);
    drawn();
}

void PictureBox::clearPicture() {
    showPicture(QImage(), {});
}

void PictureBox::addStroke(Stroke::Kind kind, QPointF from, QPointF to, QColor c, int width) {
    const Stroke s = makeStroke(kind, static_cast<Stroke::Style>(drawStyle_), width, c.rgba(), from,
                                to, ratio(), layerRect());
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
    markBaseStale(s.bounds);
    backgroundOpaque_ = backgroundOpaque_ && qAlpha(s.colour) == 255;
}

void PictureBox::PSet(double x, double y, QColor c) {
    addStroke(Stroke::Kind::Dot, toPixels(x, y), toPixels(x, y), c, drawWidth_);
    drawn();
}

void PictureBox::Line(double x1, double y1, double x2, double y2, QColor c) {
    addStroke(Stroke::Kind::Line, toPixels(x1, y1), toPixels(x2, y2), c, drawWidth_);
    drawn();
}

void PictureBox::drawSteps(const std::vector<DrawStep>& steps) {
    for (const DrawStep& s : steps) {
        const QPointF from = toPixels(s.from.x, s.from.y);
        if (s.kind == DrawStep::Kind::Dot)
            addStroke(Stroke::Kind::Dot, from, from, toQColor(s.colour), s.width);
        else
            addStroke(Stroke::Kind::Line, from, toPixels(s.to.x, s.to.y), toQColor(s.colour),
                      s.width);
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
        k.a = l.X1;
        k.b = l.Y1;
        k.c = l.X2;
        k.d = l.Y2;
        k.bounds = toDevice(lineReach(toPixels(l.X1, l.Y1), toPixels(l.X2, l.Y2)), r);
        looks.push_back(k);
    };
    auto handle = [&](const Handle& h) {
        ItemLook k;
        k.kind = 1 + static_cast<int>(h.kind);
        k.visible = h.Visible;
        k.borderWidth = h.BorderWidth;
        k.colour = h.BorderColor;
        k.a = h.Left;
        k.b = h.Top;
        k.c = h.Width;
        k.d = h.Height;
        k.bounds = toDevice(handleRect(h), r).adjusted(-1, -1, 1, 1);
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
    std::vector<QRect> drawn;
    for (const ItemLook& k : now)
        if (k.visible)
            drawn.push_back(k.bounds);
    itemRegion_ = unionOf(std::move(drawn));
    for (const QRect& t : touched)
        changed(t);
    itemsShown_ = std::move(now);
    itemsStale_ = false;
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
    auto drawHandle = [&](const Handle& h) {
        if (!h.Visible)
            return;
        // The whole shape at the view scale: its size scaled with its corner, a handle sits on
        // its point at every size as it does at the design size.
        const QRectF r = handleRect(h);
        // The border lies inside the shape's bounds.
        const double bw = h.BorderWidth;
        const QRectF inner = r.adjusted(bw / 2, bw / 2, -bw / 2, -bw / 2);
        QPen pn(toQColor(h.BorderColor), bw);
        pn.setJoinStyle(Qt::MiterJoin);
        p.setPen(pn);
        switch (h.kind) {
        case Handle::Kind::Square:
            p.setBrush(Qt::NoBrush);
            p.drawRect(inner);
            break;
        case Handle::Kind::FilledSquare:
            p.setBrush(toQColor(h.BorderColor));
            p.drawRect(inner);
            break;
        case Handle::Kind::Circle:
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(inner);
            break;
        }
        p.setBrush(Qt::NoBrush);
    };
    visitItems(drawLine, drawHandle);
}

void PictureBox::setMeasureLine(std::optional<QLineF> mm) {
    measureLine_ = mm;
    update();
}

void PictureBox::composeInto(QPainter& p) const {
    p.drawImage(QPointF(0, 0), picture_.image());
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
        QPainter p(&shown);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        if (pictureShown_.clip != layer)
            p.setClipRect(QRectF(pictureShown_.clip.x() / r, pictureShown_.clip.y() / r,
                                 pictureShown_.clip.width() / r, pictureShown_.clip.height() / r));
        p.drawImage(pictureShown_.target, pictureShown_.picture, QRectF(pictureShown_.source));
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
                this, [this, later = unionOf(std::move(rest))] { update(later); },
                Qt::QueuedConnection);
    }
    const bool grid = !backgroundStrokes_.empty();
    const QRect layer = layerRect();
    const QImage& shown = grid ? base_.image() : picture_.image();
    long long area = 0;
    for (const QRect& a : region)
        area += qint64(a.width()) * a.height();
    // A large paint blends the overlay only where its calls drew, not over their whole bounds.
    if (area * r * r > 262144.0 && !overlayRegionKnown_) {
        std::vector<QRect> drawn;
        drawn.reserve(overlayShown_.size());
        for (const Stroke& s : overlayShown_)
            drawn.push_back(s.bounds);
        overlayRegion_ = unionOf(std::move(drawn));
        overlayRegionKnown_ = true;
    }
    const QRegion overlayParts = area * r * r > 262144.0 ? overlayRegion_ : QRegion(overlayBounds_);
    const std::pair<const QImage*, const QRegion*> over[] = {{&overlay_.image(), &overlayParts},
                                                             {&itemLayer_.image(), &itemRegion_}};
    QPainter p(this);
    auto logical = [r](const QRect& d) {
        return QRectF(d.x() / r, d.y() / r, d.width() / r, d.height() / r);
    };
    // Whole device pixels, one on one.
    for (const QRect& a : region) {
        const QRect source = toDevice(a, r) & layer;
        if (source.isEmpty())
            continue;
        if (grid)
            composeBase(source);
        p.drawImage(logical(source), shown, source);
        for (const auto& [image, parts] : over) {
            if (!parts->intersects(source))
                continue;
            for (const QRect& part : *parts& source)
                p.drawImage(logical(part), *image, part);
        }
    }
    drawMeasureLine(p);
}

void PictureBox::resizeEvent(QResizeEvent*) {
    followSize();
}

void PictureBox::followSize() {
    const QSize px = size();
    if (!designPx_.isEmpty()) {
        // The view scale follows the surface; at the design size the design's millimetres
        // stay exact.
        const double s = std::min(double(px.width()) / designPx_.width(),
                                  double(px.height()) / designPx_.height());
        if (s != viewScale_) {
            viewScale_ = s;
            blankLayers(); // nothing drawn at the old scale stays; the resize handler redraws
        }
        if (px == designPx_) {
            scaleW_ = designMm_.width();
            scaleH_ = designMm_.height();
        } else {
            scaleW_ = px.width() / pixelsPerMm();
            scaleH_ = px.height() / pixelsPerMm();
        }
    } else if (px != QSize(qRound(scaleW_ * pxPerMm_), qRound(scaleH_ * pxPerMm_))) {
        // A size given from outside (a layout) changes the millimetre size; setScaleSize
        // keeps the exact millimetres it was given.
        scaleW_ = px.width() / pxPerMm_;
        scaleH_ = px.height() / pxPerMm_;
    }
    ensureLayers();
    overlayCurrent_ = false;
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    const QPointF mm = toMm(event->position());
    emit MouseDown(mouseButtonCode(event->button()), shiftKeyCode(event->modifiers()), mm.x(),
                   mm.y());
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    const QPointF mm = toMm(event->position());
    emit MouseMove(mouseButtonCode(event->buttons()), shiftKeyCode(event->modifiers()), mm.x(),
                   mm.y());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF mm = toMm(event->position());
    emit MouseUp(mouseButtonCode(event->button()), shiftKeyCode(event->modifiers()), mm.x(),
                 mm.y());
}
