#include "controls/Label.h"

#include <QFont>
#include <QPainter>

#include "controls/BackBuffer.h"

namespace {

// Every label's font: Arial, 13 pixels, normal weight. Made per paint: a
// static QFont would outlive the application's font database.
QFont LabelFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setWeight(QFont::Normal);
    return font;
}

constexpr QColor kTextColour(70, 70, 70);

}  // namespace

Label::Label(QWidget* parent) : QWidget(parent) {
    // Every pixel comes from the back buffer.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

QFont Label::Font() {
    return LabelFont();
}

void Label::SetText(const QString& text) {
    text_ = text.left(kMaxText);
    repaint();
}

void Label::resizeEvent(QResizeEvent*) {
    backBuffer_ = BackBuffer(this);
}

void Label::paintEvent(QPaintEvent*) {
    if (backBuffer_.isNull()) return;
    PaintLabel();
    QPainter(this).drawPixmap(0, 0, backBuffer_);
}

void Label::PaintLabel() {
    QPainter painter(&backBuffer_);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    painter.setPen(kTextColour);
    painter.setFont(LabelFont());
    // Inset by one pixel at the top left and two at the bottom right; what
    // does not fit is cut at the edges, on both sides when centred.
    const QRect box(1, 1, width() - 3, height() - 3);
    painter.setClipRect(box);
    painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text_);
}
