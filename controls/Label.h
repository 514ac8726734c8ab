// The FENNLABEL control: one line of dark grey text centred in its area,
// drawn through a back buffer. It shows "Woei" until its first SetText.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QString>
#include <QWidget>

class Label : public QWidget {
    Q_OBJECT

public:
    // Longest text a label keeps; longer texts are cut.
    static constexpr int kMaxText = 1023;

    explicit Label(QWidget* parent = nullptr);

    // Replaces the text and repaints at once; a null or empty text clears it.
    void SetText(const QString& text);
    const QString& text() const { return text_; }
    // The font every label draws with.
    static QFont Font();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintLabel();

    QString text_ = QStringLiteral("Woei");
    QPixmap backBuffer_;
};
