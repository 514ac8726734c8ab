#include "app/LargeView.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>

#include "app/FileDialogs.h"
#include "app/Layout.h"
#include "app/Preview.h"
#include "platform/ImageWriter.h"

namespace {

// 352 x 244 dialog units of the 8-point dialog font.
constexpr int kDialogWidth = 528;
constexpr int kDialogHeight = 397;
constexpr int kButtonWidth = 74;
constexpr int kButtonHeight = 24;

}  // namespace

LargeView::LargeView(AppState& state)
    : QWidget(nullptr, Qt::Window),
      state_(state),
      picture_(new PreviewPane(this)),
      export_(new QPushButton(QStringLiteral("Export..."), this)),
      size256_(new QPushButton(QStringLiteral("256 x 256"), this)),
      sizeToFit_(new QPushButton(QStringLiteral("Size to fit"), this)) {
    setWindowTitle(QStringLiteral("mottle :: large view"));
    connect(export_, &QPushButton::clicked, this, &LargeView::ExportImage);
    connect(size256_, &QPushButton::clicked, this, [this] { SizePictureTo(256, 256); });
    connect(sizeToFit_, &QPushButton::clicked, this, [this] {
        const Image& texture = state_.graph->texture();
        SizePictureTo(texture.width, texture.height);
    });
    resize(kDialogWidth, kDialogHeight);
    Layout();
}

void LargeView::Layout() {
    const int w = width();
    const int h = height();
    picture_->setGeometry(4, 4, w - 8, h - 34);
    state_.largeViewArea = picture_->contentsRect();
    int x = 4;
    for (QPushButton* button : {export_, size256_, sizeToFit_}) {
        button->setGeometry(x, h - 26, kButtonWidth, kButtonHeight);
        x += 80;
    }
}

void LargeView::resizeEvent(QResizeEvent*) {
    Layout();
    DrawLargeView();
}

// Closing only hides: the view lives until the program ends.
void LargeView::closeEvent(QCloseEvent* event) {
    hide();
    event->ignore();
}

void LargeView::DrawLargeView() {
    if (!isVisible() || !state_.texture) return;
    const QRect& area = state_.largeViewArea;
    picture_->SetPicture(BuildPreviewPicture(*state_.texture, area.width(), area.height(), 0, 0,
                                             state_.zoom, state_.tiled));
}

// The picture's frame adds the same border whatever its size.
void LargeView::SizePictureTo(int width, int height) {
    const QSize frame = picture_->size() - picture_->contentsRect().size();
    const QSize outside = size() - picture_->size();
    resize(outside + frame + QSize(width, height));
    Layout();
}

void LargeView::ExportImage() {
    const QString path = state_.chooseFile(
        this, {FileDialogRequest::kSave,
               QStringLiteral("Enter a filename to export our image to..."),
               {QStringLiteral("Bitmap file (*.bmp)"), QStringLiteral("JPEG file (*.jpg)"),
                QStringLiteral("PNG file (*.png)")},
               QStringLiteral("bmp")});
    if (path.isEmpty() || !state_.texture) return;
    const QRect& area = state_.largeViewArea;
    std::string error;
    if (!WriteImageFile(path.toStdString(), *state_.texture, area.width(), area.height(), &error))
        ShowOops(QString::fromStdString(error));
}
