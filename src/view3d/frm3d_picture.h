#pragma once

#include <QImage>
#include <QWidget>

#include <vector>

// The drawing surface Picture1 of the 3-D window: measured in pixels, no border, black, with a
// persistent image that frames are drawn into and that a repaint shows. The image has one pixel
// per device pixel of the screen (twice the surface's size each way at 200 %), so frames are
// sharp at any scale. Mouse moves and key releases arrive in the surface's own (logical) pixels,
// with the toolkit-neutral codes the window's handlers expect.
class Frm3DPicture : public QWidget {
    Q_OBJECT

public:
    explicit Frm3DPicture(QWidget* parent = nullptr);

    // The persistent image, exactly the surface's size in device pixels.
    QImage& image() { return image_; }
    const QImage& image() const { return image_; }
    // Re-makes the image at the surface's size, keeping what it can of its picture. Done on
    // every resize, and by the window when it sizes a surface that is not shown yet.
    void fitImage();
    // The surface's size in device pixels.
    QSize deviceSize() const;
    // Shows again the parts of the image that a frame changed, given in the image's pixels.
    void showImageParts(const std::vector<QRect>& parts);

    // 16 for the shift key (17 control, 18 alt); other keys keep the toolkit's code.
    static int keyCode(int qtKey);

signals:
    void MouseMove(int Button, int Shift, float X, float Y);
    void KeyUp(int KeyCode);
    // The image was re-made at a new size: what it showed is partly gone.
    void imageResized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QImage image_;
};
