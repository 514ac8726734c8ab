// The resizable large view of the texture with its export.
#pragma once

#include <QWidget>

#include "app/AppState.h"

class QPushButton;

class LargeView : public QWidget {
    Q_OBJECT
public:
    explicit LargeView(AppState& state);

    // Paints the texture into the picture area when the view is visible.
    void DrawLargeView();
    // Sizes the window so that the picture area is width x height.
    void SizePictureTo(int width, int height);
    void ExportImage();
    // Places the picture and the buttons for the current size and re-reads
    // the picture area (a hidden window gets no resize events).
    void Layout();

    PreviewPane* picture() const { return picture_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    AppState& state_;
    PreviewPane* picture_;
    QPushButton* export_;
    QPushButton* size256_;
    QPushButton* sizeToFit_;
};
