// The texture as the preview and the large view show it, and the framed pane
// that displays such a picture.
#pragma once

#include <QFrame>
#include <QImage>

class Image;

// A width x height picture of the texture magnified by zoom and shifted by
// (offsetX, offsetY). Outside the texture it repeats when tiled, otherwise
// the 16-pixel backdrop shows; negative texture coordinates are black.
QImage BuildPreviewPicture(const Image& texture, int width, int height, int offsetX, int offsetY,
                           int zoom, bool tiled);

// A side x side copy of the image, each pixel the nearest of the image's.
QImage BuildThumbnail(const Image& image, int side);

// A sunken, 1-pixel black frame whose contents show the last picture given.
class PreviewPane : public QFrame {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget* parent);

    void SetPicture(QImage picture);
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};
