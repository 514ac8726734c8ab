#include "app/Preview.h"

#include <QPainter>

#include "engine/Image.h"

namespace {

void SetRgb(uchar* out, int red, int green, int blue) {
    out[0] = static_cast<uchar>(red);
    out[1] = static_cast<uchar>(green);
    out[2] = static_cast<uchar>(blue);
}

void SetBackdrop(uchar* out, int c, int r) {
    SetRgb(out, 128 + 64 * ((c / 16) % 2), 128 + 64 * ((r / 16) % 2),
           128 + 64 * (((c + r) / 16) % 2));
}

}  // namespace

QImage BuildThumbnail(const Image& image, int side) {
    QImage picture(side, side, QImage::Format_RGB888);
    for (int r = 0; r < side; ++r) {
        uchar* out = picture.scanLine(r);
        for (int c = 0; c < side; ++c, out += 3) {
            const uint8_t* p = image.pixel(c * image.width / side, r * image.height / side);
            SetRgb(out, p[0], p[1], p[2]);
        }
    }
    return picture;
}

QImage BuildPreviewPicture(const Image& texture, int width, int height, int offsetX, int offsetY,
                           int zoom, bool tiled) {
    QImage picture(width, height, QImage::Format_RGB888);
    const int w = texture.width;
    const int h = texture.height;
    for (int r = 0; r < height; ++r) {
        uchar* out = picture.scanLine(r);
        const int ty = (r + offsetY) / zoom;
        for (int c = 0; c < width; ++c, out += 3) {
            const int tx = (c + offsetX) / zoom;
            if (tx < 0 || ty < 0) {
                SetRgb(out, 0, 0, 0);
            } else if (!tiled && (tx >= w || ty >= h)) {
                SetBackdrop(out, c, r);
            } else {
                const uint8_t* p = texture.pixel(tx % w, ty % h);
                SetRgb(out, p[0], p[1], p[2]);
            }
        }
    }
    return picture;
}

PreviewPane::PreviewPane(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

void PreviewPane::SetPicture(QImage picture) {
    picture_ = std::move(picture);
    repaint();
}

void PreviewPane::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.drawImage(contentsRect().topLeft(), picture_);
}
