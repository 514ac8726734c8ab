// The search-to-add popup: a filter field over the node types, in the order
// of the "Available nodes" list. Enter or a click chooses; Escape closes.
#pragma once

#include <QFrame>
#include <QStringList>
#include <vector>

class QLineEdit;
class QListWidget;

class AddNodePopup : public QFrame {
    Q_OBJECT

public:
    explicit AddNodePopup(QWidget* parent = nullptr);

    // Opens with an empty filter at `globalPos` over `types`.
    void Open(const QStringList& types, const QPoint& globalPos);
    QLineEdit* filterField() const { return filter_; }
    QListWidget* list() const { return list_; }

signals:
    // The row of the chosen type in the list it was opened with.
    void chosen(int type);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Refilter();
    void Choose();

    QLineEdit* filter_;
    QListWidget* list_;
    QStringList types_;
    std::vector<int> shown_;  // the type of each row shown
};
