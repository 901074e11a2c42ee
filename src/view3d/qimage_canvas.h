#pragma once

#include "engine3d/canvas.h"

#include <QFont>
#include <QImage>
#include <QRect>

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

// The engine's canvas on a QImage (the 3-D window's persistent image). Triangles, their
// outlines and lines are painted pixel by pixel with exact integer rules, so that neighbouring
// faces neither leave gaps nor paint a pixel twice and an edge shared by two outlines covers
// the same pixels both times (the silhouette mode relies on that to cancel inner edges).
// Beziers and text go through QPainter with the matching raster operation.
//
// The canvas keeps the tiles it drew on since the last clear, so that a clear only fills those
// again, and the tiles that changed since the owner last asked, so that the owner shows only
// those again: a frame of lines costs what its lines cover, not what their bounds measure. An
// image that was replaced or written by someone else since the canvas last drew is cleared and
// counted as changed whole.
class QImageCanvas final : public Canvas {
public:
    // Draws into `image`, which must outlive the canvas. An image that is not 32-bit RGB is
    // converted to it first.
    explicit QImageCanvas(QImage& image);
    ~QImageCanvas() override; // fills a clear still pending
    QImageCanvas(const QImageCanvas&) = delete;
    QImageCanvas& operator=(const QImageCanvas&) = delete;

    void setBackgroundColour(Colour3 colour);
    void setFont(const QFont& font) { font_ = font; }

    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    // Fills the whole surface with its background colour: only what was drawn since the last
    // clear needs filling, the rest holds the background still.
    void clear() override;
    // As clear(), for a frame drawn next: the background is filled band by band as the frame's
    // list of triangles is drawn, while each band is in a core's cache, or before anything else
    // is drawn. Until the canvas next draws or tells what changed (takeChanged()), the image
    // may still hold the last frame.
    void clearForNextFrame();
    void setPenMode(PenMode mode) override { penMode_ = mode; }
    void setOutline(bool on) override { outline_ = on; }
    void setOutlineColour(Colour3 colour) override { outlineColour_ = colour; }
    void setFill(bool on) override { fill_ = on; }
    void setFillColour(Colour3 colour) override { fillColour_ = colour; }
    void setTextColour(Colour3 colour) override { textColour_ = colour; }
    void polygon(const PixelPoint (&points)[3]) override;
    bool gradientTriangle(const GradientVertex (&corners)[3]) override;
    // Filled triangles without outline, and gradient triangles, are drawn in bands of rows at
    // once, one band per core: each band draws every triangle that reaches it, in order, within
    // its own rows, so every pixel ends as drawing the triangles one by one leaves it.
    void polygons(std::span<const FlatTriangle> triangles) override;
    void gradientTriangles(std::span<const GradientTriangle> triangles) override;
    void setPixel(PixelPoint at, Colour3 colour) override;
    void line(PixelPoint from, PixelPoint to) override;
    void bezier(const PixelPoint (&points)[4]) override;
    void text(PixelPoint at, std::string_view text) override;

    // Rows and columns the rasteriser has stepped through since the canvas was made: each
    // triangle, outline or line costs at most the image's size, however far its corners lie.
    std::int64_t rasterSteps() const { return rasterSteps_; }

    // Rectangles of the image's pixels, one per run of tiles in a row, holding every pixel
    // that drawing or clearing may have changed since the last call; none when nothing changed.
    // The owner shows those parts of the image again.
    std::vector<QRect> takeChanged();

    // The tiles' size in pixels.
    static constexpr int kTile = 32;
    // The rows of a band when triangles are drawn in bands: a band of a wide image stays in a
    // core's own cache while its triangles are drawn.
    static constexpr int kBandRows = 32;

private:
    // Converts a replaced image to 32-bit RGB; false when there is nothing to draw on. Notes
    // whether someone else wrote on the image since the canvas last did.
    bool usable();
    // What a drawing call may have changed, in pixels: the bounds of its points, `margin`
    // wider each way, within the image.
    template <std::size_t N> void touched(const PixelPoint (&points)[N], int margin = 0);
    void touched(int left, int top, int right, int bottom); // inclusive pixel bounds
    // What a line may have changed: its pixels lie within a pixel of it, piece by piece.
    void touchedLine(PixelPoint from, PixelPoint to);
    void strokeOutline(const PixelPoint (&points)[3]);
    // Fills what a pending clear leaves to fill, in one band of rows or in all.
    void fillPendingBand(uchar* bits, qsizetype stride, int band) const;
    void fillPendingClear();
    // Sorts triangles 0..count-1 into the bands of rows they reach, in their order, then calls
    // draw(triangle, rowBegin, rowEnd, steps) band by band, the bands shared among the cores.
    // cornersOf(triangle) gives its corners.
    template <typename CornersOf, typename Draw>
    void drawInBands(int count, CornersOf cornersOf, Draw draw);

    // Remembers, as a drawing call ends, the image's key as this canvas left it.
    struct KeepKey {
        QImageCanvas& canvas;
        ~KeepKey() { canvas.imageKey_ = canvas.image_.cacheKey(); }
    };

    QImage& image_;
    PenMode penMode_ = PenMode::Copy;
    bool outline_ = true;
    bool fill_ = false;
    Colour3 outlineColour_{255, 255, 255};
    Colour3 fillColour_;
    Colour3 textColour_{255, 255, 255};
    Colour3 background_;
    QFont font_;
    // Scratch of the invert pen's outlines: a mark per pixel of the image, and the pixels
    // marked by one outline.
    std::vector<std::uint64_t> outlineMarks_;
    std::vector<std::size_t> outlinePixels_;
    std::int64_t rasterSteps_ = 0;
    // Scratch of drawInBands(), kept from call to call: where each band's triangles start in
    // bandItems_, its triangles, each band's raster steps, and each triangle's reach.
    std::vector<int> bandStart_;
    std::vector<int> bandItems_;
    struct Reach { // the pixels within a triangle's bounds; none when top > bottom
        int top = 0, bottom = -1, left = 0, right = -1;
        bool empty() const { return top > bottom; }
    };
    std::vector<Reach> reach_;
    // How many triangles ahead of the one drawn their pixels are fetched, and at most how many
    // cache lines a triangle fetches.
    static constexpr int kFetchAhead = 6;
    static constexpr int kFetchLines = 48;
    std::vector<std::int64_t> bandSteps_;
    struct Corners {
        PixelPoint points[3];
    };
    std::vector<Corners> pointsOf_; // the gradient triangles' corners
    // The tiles of the image that a set of pixels reaches, one mark each.
    class Tiles {
    public:
        void fit(QSize image); // none, for an image of that size
        QSize image() const { return image_; }
        void add(int left, int top, int right, int bottom); // inclusive pixels in the image
        void addAll() { add(0, 0, image_.width() - 1, image_.height() - 1); }
        void add(const Tiles& other);
        void clear();
        bool empty() const { return !any_; }
        bool all() const;
        // The pixels of each run of marked tiles in a row, within the image.
        std::vector<QRect> runs() const;
        // Calls run(left, right) with the columns left..right-1 of each run of marked tiles in
        // row r of tiles, within the image.
        template <typename Run> void forEachRunInRow(int r, Run run) const;

    private:
        QSize image_;
        int columns_ = 0, rows_ = 0;
        std::vector<std::uint8_t> marks_;
        bool any_ = false;
    };
    Tiles drawn_; // drawn on since the last clear
    // A clear not filled in yet: the whole image, or the tiles drawn on before it.
    bool clearPending_ = false;
    bool pendingWhole_ = false;
    Tiles pendingTiles_;
    Tiles changed_;                    // changed since the owner last asked
    bool backgroundElsewhere_ = false; // the image outside drawn_ holds the background
    qint64 imageKey_ = 0;              // the image's cache key when the canvas last wrote on it
};
