#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
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
#include <QTimer>
#include <QWheelEvent>
#include <tuple>

#include "app/DocumentRules.h"
#include "app/FileDialogs.h"
#include "app/LargeView.h"
#include "app/Layout.h"
#include "app/MenuTable.h"
#include "app/Preview.h"
#include "app/ProgressBarListener.h"
#include "app/SelectionPanel.h"
#include "controls/Label.h"
#include "controls/Messages.h"
#include "controls/Slider.h"
#include "platform/ImageWriter.h"
#include "view/NodesView.h"

namespace {

constexpr const char* kVersion = SWATCHER_VERSION;  // from the build's project version
constexpr const char* kEngineVersion = "0.86";
constexpr int kStartTextureSize = 64;
constexpr int kEditorScrollRange = 400;
constexpr int kLargeViewLeft = 40;
constexpr int kLargeViewTop = 40;
constexpr int kLargeViewSide = 512;
constexpr int kEditBuffer = 999;

const QString kTextureFilter = QStringLiteral("Mottle texture (*.mtf)");

}  // namespace

// The dialog's client area. The editor view and the sliders send their
// private messages to their parent, which is this widget.
class ClientArea : public QWidget {
public:
    explicit ClientArea(MainWindow* window) : QWidget(window), window_(window) {}

protected:
    bool event(QEvent* event) override {
        if (auto* message = dynamic_cast<MessageEvent*>(event)) {
            window_->HandleMessage(*message);
            return true;
        }
        return QWidget::event(event);
    }
    void resizeEvent(QResizeEvent*) override { window_->ApplyLayout(width(), height()); }

private:
    MainWindow* window_;
};

MainWindow::MainWindow() {
    client_ = new ClientArea(this);
    setCentralWidget(client_);
    // The controls were sized for a narrow 8-point dialog font.
    QFont dialogFont(QStringLiteral("Arial"));
    dialogFont.setPixelSize(11);
    client_->setFont(dialogFont);
    panel_ = std::make_unique<SelectionPanel>(state_, client_,
                                              [this](QWidget* edit) { EditChanged(edit); });
    state_.chooseFile = RunFileDialog;
    BuildControls();
    BuildMenu();
    client_->resize(kMainClientWidth, kMainClientHeight);
    ApplyLayout(kMainClientWidth, kMainClientHeight);
    resize(kMainClientWidth, kMainClientHeight + menuBar()->sizeHint().height());
    setMinimumSize(size());  // smaller, the panel would cover the preview

    largeView_ = std::make_unique<LargeView>(state_);
    state_.largeView = largeView_.get();
    largeView_->move(kLargeViewLeft, kLargeViewTop);
    largeView_->resize(kLargeViewSide, kLargeViewSide);
    largeView_->Layout();

    UpdateTitle();
    show();

    state_.view->Attach();
    state_.progress = std::make_unique<ProgressBarListener>(state_.progressBar);
    renders_ = std::make_unique<RenderScheduler>(state_, [this] {
        DrawPreview();
        UpdateThumbnails();
        if (pendingSlider_) QTimer::singleShot(0, this, &MainWindow::ApplyPendingSlider);
    });
    renders_->focus = [this] { return PreviewedNode(); };
    panel_->shown = [this] { renders_->FocusChanged(); };
    state_.previewArea = state_.preview->contentsRect();
    state_.zoom = 1;
    state_.tiled = true;
    state_.registry = std::make_unique<NodeRegistry>();
    SetRenderListener(state_.progress.get());
    CreateDocument();
    state_.nodeList->clear();
    for (const auto& prototype : state_.registry->prototypes())
        state_.nodeList->addItem(QString::fromStdString(prototype->name));
    ResetSelectionPanel();
    UpdateTextureDims();
    UpdateZoomText();
    state_.autoRender = true;
    state_.selection.Show({});
    SetupScrollBar(state_.viewHScroll, kEditorScrollRange);
    SetupScrollBar(state_.viewVScroll, kEditorScrollRange);
    InitImageLibrary();
    UpdatePreviewScrollRanges();
    RenderNow();
}

MainWindow::~MainWindow() {
    renders_->Abandon();
    document_.reset();  // its steps may hold nodes and cables
    SetRenderListener(nullptr);
    state_.progress.reset();
    state_.view->model().graph = nullptr;
    state_.selection.ForgetAll();
    panel_->Clear();
    state_.graph.reset();
    state_.registry.reset();
    state_.largeView = nullptr;
    largeView_.reset();
}

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
    state_.view = add(IDC_NODES_VIEW, new NodesView(client_));
    state_.selection.Bind(&state_.view->model());
    connect(state_.view, &NodesView::boxMoved, this,
            [this](const std::vector<view::Point>& before) { document_->MoveBoxes(before); });
    state_.view->installEventFilter(this);  // its wheel moves the scroll bars
    state_.viewHScroll = add(IDC_VIEW_HSCROLL, new QScrollBar(Qt::Horizontal, client_));
    state_.viewVScroll = add(IDC_VIEW_VSCROLL, new QScrollBar(Qt::Vertical, client_));
    connect(state_.viewHScroll, &QScrollBar::valueChanged, this, [this](int value) {
        state_.view->model().scrollX = value;
        state_.view->Redraw();
    });
    connect(state_.viewVScroll, &QScrollBar::valueChanged, this, [this](int value) {
        state_.view->model().scrollY = value;
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
    if (Node* node = state_.selection.node())
        panel_->BuildNodePanel(node);
    else
        panel_->BuildCablePanel(state_.selection.cable());
    client_->update();
    if (state_.graph) DrawPreview();
}

void MainWindow::SetupScrollBar(QScrollBar* bar, int maximum) {
    bar->setValue(0);
    bar->setRange(0, maximum);
    bar->setSingleStep(1);
    bar->setPageStep(std::max(1, maximum / 8));
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
    const bool sideways = (wheel.modifiers() & Qt::ShiftModifier) || delta.y() == 0;
    QScrollBar* bar = sideways ? state_.viewHScroll : state_.viewVScroll;
    const int turn = delta.y() ? delta.y() : delta.x();
    bar->setValue(bar->value() - turn * QApplication::wheelScrollLines() * kLinePixels / kNotch);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    Exit();
}

// Nothing waits for a long render: it is cancelled first.
void MainWindow::Exit() {
    const RenderScheduler::Hold hold(*renders_);
    if (!MayDropDocument()) return;
    renders_->Abandon();
    emit quitRequested(0);
}

bool MainWindow::MayDropDocument() {
    if (!document_->modified()) return true;
    const auto answer = QMessageBox::question(
        this, QStringLiteral("Swatcher"), QStringLiteral("Save changes to the texture?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save) return SaveCurrent();
    return answer == QMessageBox::Discard;
}

void MainWindow::Command(int id) {
    switch (id) {
        case CMD_RENDER:
            return RenderNow();
        case CMD_EXIT:
            return Exit();
        case CMD_OPEN:
            return Open();
        case CMD_SAVE:
            SaveAs();
            return;
        case CMD_SAVE_CURRENT:
            SaveCurrent();
            return;
        case CMD_ABOUT:
            return About();
        case CMD_HELP:
            return Help();
        case CMD_ADD_NODE:
            return AddNode();
        case CMD_CLONE_NODE:
            return CloneNode();
        case CMD_DELETE_NODE:
            return DeleteNode();
        case CMD_DELETE_CABLE:
            return DeleteCable();
        case CMD_AUTO_RENDER:
            return ToggleCheck(id, state_.autoRender);
        case CMD_THUMBNAILS:
            ToggleCheck(id, state_.view->model().thumbnails);
            UpdateThumbnails();
            return state_.view->Redraw();
        case CMD_PREVIEW_SELECTED:
            ToggleCheck(id, state_.previewSelected);
            return renders_->FocusChanged();
        case CMD_CABLES_LOW:
        case CMD_CABLES_STANDARD:
        case CMD_CABLES_HIGH:
            return SetCableResolution(id);
        case CMD_ZOOM_IN:
            return ZoomIn();
        case CMD_ZOOM_OUT:
            return ZoomOut();
        case CMD_TILED:
            ToggleCheck(id, state_.tiled);
            return DrawPreview();
        case CMD_LARGER:
            document_->ResizeTexture(state_.graph->texture().width * 2);
            return;
        case CMD_SMALLER:
            if (state_.graph->texture().width > 1)
                document_->ResizeTexture(state_.graph->texture().width / 2);
            return;
        case CMD_SHOW_LARGE_VIEW:
            return ShowLargeView();
        case CMD_UNDO:
            return document_->Undo();
        case CMD_REDO:
            return document_->Redo();
        default:
            return;
    }
}

void MainWindow::HandleMessage(const MessageEvent& message) {
    NodeGraph& graph = *state_.graph;
    const long long index = message.wParam;
    switch (message.message()) {
        case MSG_SELECT_NODE:
            if (index >= 0 && index < static_cast<long long>(graph.nodes.size()))
                SelectNode(graph.nodes[index].get());
            return;
        case MSG_DELETE_NODE:
            return DeleteNode();
        case MSG_DELETE_CABLE:
            return DeleteCable();
        case MSG_SELECT_CABLE:
            if (index >= 0 && index < static_cast<long long>(graph.cables.size()))
                SelectCable(graph.cables[index].get());
            return;
        case MSG_SELECT_NONE:
            return SelectNode(nullptr);
        case MSG_SLIDER_CHANGED:
            return SliderChanged(message.sender);
        default:
            return;
    }
}

void MainWindow::SelectNode(Node* node) {
    state_.selection.Highlight(Selection::Of(node));
    state_.view->Redraw();
    panel_->BuildNodePanel(node);
}

void MainWindow::SelectCable(Cable* cable) {
    state_.selection.Highlight(Selection::Of(cable));
    state_.view->Redraw();
    panel_->BuildCablePanel(cable);
}

void MainWindow::ResetSelectionPanel() {
    state_.view->Redraw();
    panel_->BuildNodePanel(nullptr);
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

void MainWindow::EditChanged(QWidget* editBox) {
    const int i = panel_->FindValueControl(editBox);
    if (i < 0 || !state_.selection.node()) return;
    const QString text = static_cast<QLineEdit*>(editBox)->text().left(kEditBuffer);
    Node* node = state_.selection.node();
    document_->SetParam(*node, i, {0, text.toStdString()}, ParamRun(editBox));
    if (auto* label = static_cast<Label*>(state_.valueLabels[i].data())) label->SetText(text);
}

void MainWindow::AddNode() {
    const QModelIndexList selected = state_.nodeList->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return ShowOops("Select a node-type first from the available nodes.");
    const auto& prototype = state_.registry->prototypes()[selected.front().row()];
    Node* node = document_->AddNode(state_.registry->CreateNode(prototype->typeId));
    if (!node) return;
    ResetSelectionPanel();
    SelectNode(node);
}

void MainWindow::CloneNode() {
    Node* node = state_.selection.node();
    if (!node) return;
    if (Node* clone = document_->CloneNode(*node)) SelectNode(clone);
}

void MainWindow::DeleteNode() {
    Node* node = state_.selection.node();
    if (!node || !document_->DeleteNode(*node)) return;
    ResetSelectionPanel();
    SelectNode(nullptr);
}

void MainWindow::DeleteCable() {
    document_->DeleteCable(state_.selection.highlighted().cable);
    state_.selection.ClearHighlight();
    state_.view->Redraw();
}

void MainWindow::Open() {
    const RenderScheduler::Hold hold(*renders_);
    if (!MayDropDocument()) return;
    const QString path =
        state_.chooseFile(this, {FileDialogRequest::kOpen,
                                 QStringLiteral("Select a texture to assimilate..."),
                                 {kTextureFilter},
                                 QStringLiteral("mtf")});
    if (!path.isEmpty()) OpenFile(path);
}

bool MainWindow::OpenFile(const QString& path) {
    if (!document_->Open(path.toStdString())) return false;
    ResetSelectionPanel();
    UpdatePreviewScrollRanges();
    UpdateTextureDims();
    RenderNow();
    return true;
}

bool MainWindow::SaveAs() {
    const QString path =
        state_.chooseFile(this, {FileDialogRequest::kSave,
                                 QStringLiteral("Enter a filename to save our texture to..."),
                                 {kTextureFilter},
                                 QStringLiteral("mtf")});
    return !path.isEmpty() && SaveFile(path);
}

bool MainWindow::SaveCurrent() {
    const std::string& path = document_->path();
    return path.empty() ? SaveAs() : SaveFile(QString::fromStdString(path));
}

bool MainWindow::SaveFile(const QString& path) {
    return document_->Save(path.toStdString());
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

// Every change that may change the texture renders it (a resize always);
// edits show themselves where they are made, undo and redo show here what
// they changed.
void MainWindow::DocumentChanged(const DocumentChange& change) {
    if (change.resized) {
        UpdateTextureDims();
        UpdatePreviewScrollRanges();
    }
    // A previewed node the texture does not use renders on its own.
    Node* previewed = PreviewedNode();
    const bool shownChanges =
        change.renders || (previewed && !state_.graph->ReachesStore(previewed));
    if (change.resized || (shownChanges && state_.autoRender)) RenderNow();
    if (!change.replayed) return;
    state_.view->Redraw();
    if (Node* node = state_.selection.node())
        panel_->BuildNodePanel(node);
    else
        panel_->BuildCablePanel(state_.selection.cable());
}

// Changes through one control merge while it is the same gesture or run of
// typing on the same panel.
long long MainWindow::ParamRun(QWidget* control) const {
    const auto* slider = qobject_cast<const Slider*>(control);
    return (static_cast<long long>(panel_->generation()) << 32) | (slider ? slider->gesture() : 0);
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

void MainWindow::RenderNow() {
    renders_->Stop();
    renders_->Request();
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

// "clouds.mtf[*] — <caption>" once the document has a file; the caption alone before.
void MainWindow::UpdateTitle() {
    const QString caption = QStringLiteral("Swatcher [v%1] by Oxhal").arg(kVersion);
    const QString path = document_ ? QString::fromStdString(document_->path()) : QString();
    if (path.isEmpty()) return setWindowTitle(caption);
    setWindowTitle(QFileInfo(path).fileName() + QStringLiteral("[*] \u2014 ") + caption);
    setWindowModified(document_->modified());
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

void MainWindow::CreateDocument() {
    state_.graph = std::make_unique<NodeGraph>(kStartTextureSize, kStartTextureSize);
    state_.texture = Image::Create(kStartTextureSize, kStartTextureSize);  // as the Store's
    NodesViewModel& layout = state_.view->model();
    layout.graph = state_.graph.get();
    document_ = std::make_unique<DocumentController>(*state_.graph, layout, state_.selection,
                                                     *state_.registry);
    document_->beforeChange = [this] { renders_->Stop(); };
    document_->changed = [this](const DocumentChange& change) { DocumentChanged(change); };
    document_->refused = [](const std::string& text) { ShowOops(QString::fromStdString(text)); };
    document_->historyChanged = [this] {
        UpdateTitle();
        UpdateHistoryItems();
    };
    layout.drawCable = [this](Pin* first, Pin* second) { document_->DrawCable(first, second); };
    UpdateHistoryItems();
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
