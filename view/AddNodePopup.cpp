#include "view/AddNodePopup.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "view/NodeSearch.h"

AddNodePopup::AddNodePopup(QWidget* parent)
    : QFrame(parent, Qt::Popup), filter_(new QLineEdit(this)), list_(new QListWidget(this)) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(filter_);
    layout->addWidget(list_);
    filter_->setPlaceholderText(QStringLiteral("Search node types"));
    filter_->installEventFilter(this);
    list_->setFocusPolicy(Qt::NoFocus);
    connect(filter_, &QLineEdit::textChanged, this, [this] { Refilter(); });
    connect(list_, &QListWidget::itemClicked, this, [this] { Choose(); });
    resize(200, 260);
}

void AddNodePopup::Open(const QStringList& types, const QPoint& globalPos) {
    types_ = types;
    filter_->clear();
    Refilter();
    move(globalPos);
    show();
    filter_->setFocus();
}

void AddNodePopup::Refilter() {
    list_->clear();
    shown_.clear();
    const std::string query = filter_->text().toStdString();
    for (int i = 0; i < types_.size(); ++i) {
        if (!view::MatchesSearch(types_[i].toStdString(), query)) continue;
        list_->addItem(types_[i]);
        shown_.push_back(i);
    }
    list_->setCurrentRow(shown_.empty() ? -1 : 0);
}

void AddNodePopup::Choose() {
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(shown_.size())) return;
    const int type = shown_[row];
    close();
    emit chosen(type);
}

// The field keeps the focus; the arrows walk the list, Enter chooses.
bool AddNodePopup::eventFilter(QObject* watched, QEvent* event) {
    if (watched != filter_ || event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Choose();
            return true;
        case Qt::Key_Escape:
            close();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            QApplication::sendEvent(list_, event);
            return true;
        default:
            return false;
    }
}
