#include "app/LargeView.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

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
// Wide enough for the three buttons.
constexpr int kMinimumWidth = 4 + 3 * 80;

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
    setMinimumWidth(kMinimumWidth);
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
    if (!isVisible() || !state_.shown()) return;
    const QRect& area = state_.largeViewArea;
    picture_->SetPicture(BuildPreviewPicture(*state_.shown(), area.width(), area.height(), 0, 0,
                                             state_.zoom, state_.tiled));
}

// The picture's frame adds the same border whatever its size. The window
// stays within the screen's free area, where a larger picture is cut; one
// narrower than the buttons keeps its size within the wider window.
void LargeView::SizePictureTo(int width, int height) {
    const QSize frame = picture_->size() - picture_->contentsRect().size();
    const QSize outside(8, 34);  // around the picture, as Layout places it
    const QSize wanted = outside + frame + QSize(width, height);
    QSize fitted = wanted;
    if (const QScreen* shown = screen()) {
        const QRect free = shown->availableGeometry();
        const QSize decoration = frameGeometry().size() - size();
        fitted = fitted.boundedTo(free.size() - decoration);
        resize(fitted.expandedTo(minimumSize()));
        move(std::max(free.left(), std::min(x(), free.right() + 1 - frameGeometry().width())),
             std::max(free.top(), std::min(y(), free.bottom() + 1 - frameGeometry().height())));
    } else {
        resize(fitted.expandedTo(minimumSize()));
    }
    Layout();
    if (fitted.width() < this->width()) {
        picture_->resize(fitted - outside);
        state_.largeViewArea = picture_->contentsRect();
    }
}

void LargeView::ExportImage() {
    const QString path = state_.chooseFile(
        this, {FileDialogRequest::kSave,
               QStringLiteral("Enter a filename to export our image to..."),
               {QStringLiteral("Bitmap file (*.bmp)"), QStringLiteral("JPEG file (*.jpg)"),
                QStringLiteral("PNG file (*.png)")},
               QStringLiteral("bmp")});
    if (path.isEmpty() || !state_.shown()) return;
    const QRect& area = state_.largeViewArea;
    std::string error;
    if (!WriteImageFile(path.toStdString(), *state_.shown(), area.width(), area.height(), &error))
        ShowOops(QString::fromStdString(error));
}
