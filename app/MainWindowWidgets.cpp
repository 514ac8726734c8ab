// The main window's widgets: the controls and the menu, their layout and
// scrolling, and what they show of the document and the preview.
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <tuple>

#include "app/LargeView.h"
#include "app/Layout.h"
#include "app/MainWindow.h"
#include "app/MenuTable.h"
#include "app/Preview.h"
#include "app/SelectionPanel.h"
#include "controls/Label.h"
#include "controls/MessageIds.h"
#include "controls/Slider.h"
#include "view/NodesView.h"

namespace {

constexpr const char* kVersion = SWATCHER_VERSION;  // from the build's project version
constexpr const char* kEngineVersion = "0.86";

}  // namespace

void MainWindow::BuildControls() {
    auto add = [this](int id, auto* widget) {
        controls_.insert(id, widget);
        return widget;
    };
    auto group = [&](int id, const char* title) { add(id, new QGroupBox(title, client_)); };
    auto label = [&](int id, const char* text) { add(id, new QLabel(text, client_)); };
    auto field = [&](int id) {
        auto* edit = add(id, new QLineEdit(client_));
        edit->setReadOnly(true);
        return edit;
    };
    // Frames first so the controls inside them stay on top.
    group(IDC_NODE_LIST_GROUP, "Available nodes");
    group(IDC_NODES_GROUP, "Nodes");
    group(IDC_MAIN_MENU_GROUP, "Main menu");
    state_.selectionGroup = add(IDC_SELECTION_GROUP, new QGroupBox("Current selection", client_));

    state_.nodeList = add(IDC_NODE_LIST, new QListWidget(client_));
    connect(state_.nodeList, &QListWidget::itemDoubleClicked, this, [this] { AddNode(); });
    state_.nodeList->setDragEnabled(true);  // a type dropped on the view is added there
    state_.nodeList->setDragDropMode(QAbstractItemView::DragOnly);
    state_.view = add(IDC_NODES_VIEW, new NodesView(client_));
    state_.selection.Bind(&state_.view->model());
    connect(state_.view, &NodesView::boxMoved, this,
            [this](const std::vector<view::Point>& before) { document_->MoveBoxes(before); });
    state_.view->installEventFilter(this);  // its wheel moves the scroll bars
    connect(state_.view, &NodesView::redrawn, this, [this] { UpdateViewScrollBars(); });
    connect(state_.view, &NodesView::addNodeRequested, this,
            [this](int type, view::Point at, Pin* pin) { AddNodeAt(type, at, pin); });
    state_.viewHScroll = add(IDC_VIEW_HSCROLL, new QScrollBar(Qt::Horizontal, client_));
    state_.viewVScroll = add(IDC_VIEW_VSCROLL, new QScrollBar(Qt::Vertical, client_));
    connect(state_.viewHScroll, &QScrollBar::valueChanged, this, [this](int value) {
        state_.view->model().SetScroll(value, state_.view->model().scrollY);
        state_.view->Redraw();
    });
    connect(state_.viewVScroll, &QScrollBar::valueChanged, this, [this](int value) {
        state_.view->model().SetScroll(state_.view->model().scrollX, value);
        state_.view->Redraw();
    });

    auto* render = add(IDC_RENDER, new QPushButton("Render", client_));
    connect(render, &QPushButton::clicked, this, [this] { Command(CMD_RENDER); });
    // The one command outside the menu still has its key.
    auto* renderKey = new QAction(QStringLiteral("Render"), this);
    renderKey->setShortcut(QKeySequence(Qt::Key_F5));
    addAction(renderKey);
    actions_.insert(CMD_RENDER, renderKey);
    connect(renderKey, &QAction::triggered, this, [this] { Command(CMD_RENDER); });
    render->setToolTip(QStringLiteral("Render (F5)"));
    label(IDC_ZOOM_LABEL, "Zoom level:");
    state_.zoomField = field(IDC_ZOOM);
    label(IDC_TEXTURE_DIMS_LABEL, "Texture dims:");
    state_.textureDims = field(IDC_TEXTURE_DIMS);
    state_.progressBar = add(IDC_PROGRESS, new QProgressBar(client_));
    state_.progressBar->setTextVisible(false);

    state_.selectionTitle = field(IDC_SELECTION_TITLE);
    state_.selectionTitle->setAlignment(Qt::AlignRight);
    state_.previewCaption = add(IDC_PREVIEW_CAPTION, new QLabel(client_));
    state_.preview = add(IDC_PREVIEW, new PreviewPane(client_));
    state_.previewHScroll = add(IDC_PREVIEW_HSCROLL, new QScrollBar(Qt::Horizontal, client_));
    state_.previewVScroll = add(IDC_PREVIEW_VSCROLL, new QScrollBar(Qt::Vertical, client_));
    for (QScrollBar* bar : {state_.previewHScroll, state_.previewVScroll})
        connect(bar, &QScrollBar::valueChanged, this, [this] { DrawPreview(); });
}

// Delete acts wherever the focus is in the window; a text field takes the
// key for itself first.
void MainWindow::AddDeleteShortcut() {
    auto* remove = new QAction(this);
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WindowShortcut);
    addAction(remove);
    connect(remove, &QAction::triggered, this, [this] {
        const ViewMessage request = state_.view->model().DeleteRequest();
        if (request.message == MSG_DELETE_NODE) DeleteNode();
        if (request.message == MSG_DELETE_CABLE) DeleteCable();
    });
}

void MainWindow::BuildMenu() {
    QHash<QString, QMenu*> popups;
    for (const MenuItem& item : kMenuItems) {
        QMenu*& menu = popups[item.popup];
        if (!menu) {
            const QString path = item.popup;
            const qsizetype split = path.lastIndexOf('>');
            menu = split < 0 ? menuBar()->addMenu(path)
                             : popups.value(path.left(split))->addMenu(path.mid(split + 1));
        }
        if (item.id == kMenuSeparator) {
            menu->addSeparator();
            continue;
        }
        actions_.insert(item.id, AddMenuAction(menu, item));
    }
}

QAction* MainWindow::AddMenuAction(QMenu* menu, const MenuItem& item) {
    const QString text = QString::fromUtf8(item.text);
    QAction* action = menu->addAction(text);
    action->setCheckable(item.check != MenuItem::kPlain);
    action->setChecked(item.check == MenuItem::kChecked);
    // A checkable item's state is changed by its command alone, as it is
    // when the command arrives any other way.
    connect(action, &QAction::triggered, this, [this, action, id = item.id] {
        if (action->isCheckable()) action->setChecked(!action->isChecked());
        Command(id);
    });
    QList<QKeySequence> keys = QKeySequence::keyBindings(item.shortcut);
    if (keys.isEmpty() && item.keys) keys = {QKeySequence(QString::fromLatin1(item.keys))};
    action->setShortcuts(keys);
    return action;
}

void MainWindow::ApplyLayout(int width, int height) {
    for (const ControlPlace& place : LayoutControls(width, height)) {
        QWidget* widget = controls_.value(place.id);
        widget->setGeometry(place.x, place.y, place.width, place.height);
        if (place.repaint) widget->update();
    }
    state_.view->Attach();
    UpdateViewScrollBars();  // the view shows more or less of the document
    panel_->Build(state_.selection.shown());
    client_->update();
    if (state_.graph) DrawPreview();
}

void MainWindow::SetupScrollBar(QScrollBar* bar, int maximum) {
    bar->setValue(0);
    bar->setRange(0, maximum);
    bar->setSingleStep(1);
    bar->setPageStep(std::max(1, maximum / 8));
}

// The bars follow the view: they reach every box, wherever it was moved.
void MainWindow::UpdateViewScrollBars() {
    const NodesViewModel& model = state_.view->model();
    const view::Rect range = model.ScrollRange();
    for (auto [bar, low, high, value] :
         {std::tuple(state_.viewHScroll, range.left, range.right, model.scrollX),
          std::tuple(state_.viewVScroll, range.top, range.bottom, model.scrollY)}) {
        if (!bar) continue;
        const QSignalBlocker block(bar);
        bar->setRange(low, high);
        bar->setSingleStep(1);
        bar->setPageStep(std::max(1, (high - low) / 8));
        bar->setValue(value);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != state_.view || event->type() != QEvent::Wheel)
        return QMainWindow::eventFilter(watched, event);
    ScrollView(*static_cast<QWheelEvent*>(event));
    return true;
}

// A notch scrolls the desktop's number of lines; the bars' own line is a
// single pixel, so a line here is a few of them. Shift turns the wheel sideways.
void MainWindow::ScrollView(const QWheelEvent& wheel) {
    constexpr int kLinePixels = 8;
    constexpr int kNotch = 120;
    const QPoint delta = wheel.angleDelta();
    if (wheel.modifiers() & Qt::ControlModifier) {
        // Ctrl turns the wheel into the zoom, about the mouse.
        const int zoom = state_.view->model().transform.zoom();
        if (delta.y() == 0) return;
        const int to =
            delta.y() > 0 ? view::ViewTransform::StepIn(zoom) : view::ViewTransform::StepOut(zoom);
        return state_.view->ZoomAt(wheel.position().toPoint(), to);
    }
    const bool sideways = (wheel.modifiers() & Qt::ShiftModifier) || delta.y() == 0;
    QScrollBar* bar = sideways ? state_.viewHScroll : state_.viewVScroll;
    const int turn = delta.y() ? delta.y() : delta.x();
    bar->setValue(bar->value() - turn * QApplication::wheelScrollLines() * kLinePixels / kNotch);
}

void MainWindow::ToggleCheck(int id, bool& flag) {
    QAction* item = actions_[id];
    flag = !item->isChecked();
    item->setChecked(flag);
}

void MainWindow::SetCableResolution(int id) {
    state_.view->model().cableResolution = id == CMD_CABLES_LOW    ? 10
                                           : id == CMD_CABLES_HIGH ? 500
                                                                   : 100;
    state_.view->Redraw();
    for (int item : {CMD_CABLES_LOW, CMD_CABLES_STANDARD, CMD_CABLES_HIGH})
        actions_[item]->setChecked(item == id);
}

void MainWindow::ZoomIn() {
    state_.zoom += 1;
    UpdateZoomText();
    DrawPreview();
}

void MainWindow::ZoomOut() {
    if (state_.zoom < 2) return;
    state_.zoom -= 1;
    UpdateZoomText();
    DrawPreview();
}

void MainWindow::ShowLargeView() {
    largeView_->show();
    largeView_->DrawLargeView();
}

void MainWindow::About() {
    QString text = QString::asprintf("swatcher [v%s]\n\n// built on the mottle [v%s] engine.\n",
                                     kVersion, kEngineVersion);
    text += QStringLiteral(
        "// procedural textures from a graph of noise, plasma and filter nodes\n"
        "// images written through the DevIL library\n"
        "// windows drawn with Qt\n");
    QMessageBox box(QMessageBox::Information, QStringLiteral("What the...?"), text, QMessageBox::Ok,
                    this);
    box.exec();
}

void MainWindow::Help() {
    const QString text = QStringLiteral(
        "Some short usage description:\n\n"
        "- Left button: Select node/cable\n"
        "- Middle button: Move node\n"
        "- Right button: Draw cables.\n\n"
        "TODO:\n"
        "- a short helpfile [maybe]\n"
        "- optimize the engine for speed using inline asm\n"
        "- some kind of deadlock-detection\n");
    QMessageBox box(QMessageBox::Information, QStringLiteral("Help... (kind of)"), text,
                    QMessageBox::Ok, this);
    box.exec();
}

// Small copies made once per render, so that painting never scales a full
// image; the boxes grow or shrink with the setting.
void MainWindow::UpdateThumbnails() {
    auto& kept = state_.view->thumbnails();
    kept.clear();
    if (!state_.view->model().thumbnails || renders_->running()) return;
    for (const auto& node : state_.graph->nodes)
        kept.insert(node.get(), BuildThumbnail(*node->image, view::kThumbnailSize));
    state_.view->Redraw();
}

Node* MainWindow::PreviewedNode() const {
    Node* node = state_.selection.node();
    return state_.previewSelected && node && node != state_.graph->store() ? node : nullptr;
}

void MainWindow::DrawPreview() {
    const Image* shown = state_.shown();
    if (!shown) return;
    state_.previewCaption->setText(state_.nodeImageOf ? QString::fromStdString(state_.nodeImageName)
                                                      : QStringLiteral("Texture"));
    const QRect& area = state_.previewArea;
    state_.preview->SetPicture(
        BuildPreviewPicture(*shown, area.width(), area.height(), state_.previewHScroll->value(),
                            state_.previewVScroll->value(), state_.zoom, state_.tiled));
    if (largeView_ && largeView_->isVisible()) largeView_->DrawLargeView();
}

// "clouds.mtf[*] — <caption>" once the document has a file; before, the
// caption alone, marked once there are changes.
void MainWindow::UpdateTitle() {
    const QString caption = QStringLiteral("Swatcher [v%1] by Oxhal").arg(kVersion);
    const QString path = document_ ? QString::fromStdString(document_->path()) : QString();
    const bool modified = document_ && document_->modified();
    if (path.isEmpty())
        setWindowTitle(modified ? QStringLiteral("[*]") + caption : caption);
    else
        setWindowTitle(QFileInfo(path).fileName() + QStringLiteral("[*] \u2014 ") + caption);
    setWindowModified(modified);
}

// Named after the step, enabled only when there is one.
void MainWindow::UpdateHistoryItems() {
    const CommandStack& history = document_->history();
    for (auto [id, text, step] : {std::tuple(CMD_UNDO, "Undo", history.UndoText()),
                                  std::tuple(CMD_REDO, "Redo", history.RedoText())}) {
        QAction* action = actions_.value(id);
        action->setText(step.empty()
                            ? QString::fromLatin1(text)
                            : QStringLiteral("%1 %2").arg(text, QString::fromStdString(step)));
        action->setEnabled(!step.empty());
    }
}

void MainWindow::UpdateTextureDims() {
    const Image& texture = state_.graph->texture();
    state_.textureDims->setText(QStringLiteral("%1x%2").arg(texture.width).arg(texture.height));
}

void MainWindow::UpdateZoomText() {
    state_.zoomField->setText(QStringLiteral("1 : %1").arg(state_.zoom));
}

// The ranges let the preview scroll over ten textures' widths whatever the zoom.
void MainWindow::UpdatePreviewScrollRanges() {
    const Image& texture = state_.graph->texture();
    state_.previewHScroll->setValue(0);
    state_.previewVScroll->setValue(0);
    const int rx = texture.width * 10 - state_.previewArea.width();
    const int ry = texture.height * 10 - state_.previewArea.height();
    state_.previewHScroll->setEnabled(rx > 0);
    if (rx > 0) SetupScrollBar(state_.previewHScroll, rx);
    state_.previewVScroll->setEnabled(ry >= 0);
    if (ry >= 0) SetupScrollBar(state_.previewVScroll, ry);
}

// A posted notification may come after its slider or node has gone: the
// slider is then no longer among the value controls.
// While a render runs a slider's newest value waits for its end instead of
// cancelling it, so that a drag keeps showing completed renders.
void MainWindow::SliderChanged(QWidget* slider) {
    if (renders_->running()) {
        pendingSlider_ = slider;
        return;
    }
    const int i = panel_->FindValueControl(slider);
    if (i < 0 || !state_.selection.node()) return;
    Node* node = state_.selection.node();
    const auto value = static_cast<int16_t>(static_cast<Slider*>(slider)->value());
    document_->SetParam(*node, i, {value, {}}, ParamRun(slider));
    if (auto* label = static_cast<Label*>(state_.valueLabels[i].data()))
        label->SetText(ValueLabelText(node->param(i).GetText()));
}

void MainWindow::ApplyPendingSlider() {
    if (renders_->running()) return;  // applied when that one ends
    QWidget* slider = pendingSlider_.data();
    pendingSlider_ = nullptr;
    if (slider) SliderChanged(slider);
}
