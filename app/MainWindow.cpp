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
#include <QWheelEvent>

#include "app/Autosave.h"
#include "app/DocumentEdits.h"
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
#include "engine/TextureFile.h"
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

MainWindow::MainWindow()
    : steps_{state_, [this] { renders_->Stop(); },
             [this](bool touchesTexture) { AfterStep(touchesTexture); },
             [this](int side) { return ApplyTextureSize(side); }} {
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

    largeView_ = std::make_unique<LargeView>(state_);
    state_.largeView = largeView_.get();
    largeView_->move(kLargeViewLeft, kLargeViewTop);
    largeView_->resize(kLargeViewSide, kLargeViewSide);
    largeView_->Layout();

    UpdateTitle();
    connect(&history_, &QUndoStack::cleanChanged, this, [this] { UpdateTitle(); });
    show();

    state_.view->Attach();
    state_.progress = std::make_unique<ProgressBarListener>(state_.progressBar);
    renders_ = std::make_unique<RenderScheduler>(state_, [this] { DrawPreview(); });
    state_.previewArea = state_.preview->contentsRect();
    state_.zoom = 1;
    state_.tiled = true;
    state_.registry = std::make_unique<NodeRegistry>();
    SetRenderListener(state_.progress.get());
    state_.graph = std::make_unique<NodeGraph>(kStartTextureSize, kStartTextureSize);
    state_.texture = Image::Create(kStartTextureSize, kStartTextureSize);  // as the Store's
    state_.view->graph = state_.graph.get();
    state_.view->beforeEdit = [this] { renders_->Stop(); };
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
    autosave_ = new Autosave(
        Autosave::Document{[this] { return !history_.isClean(); }, [this] { return documentPath_; },
                           [this](const QString& file, std::string* error) {
                               return SaveTextureFile(file.toStdString(), *state_.graph,
                                                      state_.view->Layout(), error);
                           }},
        this);
    connect(&history_, &QUndoStack::indexChanged, autosave_, &Autosave::DocumentChanged);
    connect(&history_, &QUndoStack::cleanChanged, autosave_, &Autosave::DocumentChanged);
    QMetaObject::invokeMethod(
        this, [this] { OfferRecovery(this, [this](auto... a) { return RecoverFile(a...); }); },
        Qt::QueuedConnection);
}

MainWindow::~MainWindow() {
    renders_->Abandon();
    history_.clear();  // steps may hold nodes and cables
    SetRenderListener(nullptr);
    state_.progress.reset();
    state_.view->graph = nullptr;
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
    state_.selection.Bind(state_.view);
    connect(state_.view, &NodesView::cableDrawn, this, [this](Cable* cable) {
        history_.push(new CableStep(steps_, QStringLiteral("Draw cable"), {}, cable));
    });
    connect(state_.view, &NodesView::boxMoved, this,
            [this](const std::vector<view::Point>& before) {
                history_.push(new MoveStep(steps_, before));
            });
    state_.view->installEventFilter(this);  // its wheel moves the scroll bars
    state_.viewHScroll = add(IDC_VIEW_HSCROLL, new QScrollBar(Qt::Horizontal, client_));
    state_.viewVScroll = add(IDC_VIEW_VSCROLL, new QScrollBar(Qt::Vertical, client_));
    connect(state_.viewHScroll, &QScrollBar::valueChanged, this, [this](int value) {
        state_.view->scrollX = value;
        state_.view->Redraw();
    });
    connect(state_.viewVScroll, &QScrollBar::valueChanged, this, [this](int value) {
        state_.view->scrollY = value;
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
    QAction* action = nullptr;
    if (item.id == CMD_UNDO || item.id == CMD_REDO) {
        // Named after the step, enabled only when there is one; they drive the history.
        action = item.id == CMD_UNDO ? history_.createUndoAction(menu, text)
                                     : history_.createRedoAction(menu, text);
        menu->addAction(action);
    } else {
        action = menu->addAction(text);
        action->setCheckable(item.check != MenuItem::kPlain);
        action->setChecked(item.check == MenuItem::kChecked);
        // A checkable item's state is changed by its command alone, as it is
        // when the command arrives any other way.
        connect(action, &QAction::triggered, this, [this, action, id = item.id] {
            if (action->isCheckable()) action->setChecked(!action->isChecked());
            Command(id);
        });
    }
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
    if (history_.isClean()) return true;
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
            return ResizeTexture(state_.graph->texture().width * 2);
        case CMD_SMALLER:
            if (state_.graph->texture().width <= 1) return;
            return ResizeTexture(state_.graph->texture().width / 2);
        case CMD_SHOW_LARGE_VIEW:
            return ShowLargeView();
        case CMD_UNDO:
            return history_.undo();
        case CMD_REDO:
            return history_.redo();
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
void MainWindow::SliderChanged(QWidget* slider) {
    const int i = panel_->FindValueControl(slider);
    if (i < 0 || !state_.selection.node()) return;
    Node* node = state_.selection.node();
    Param& param = node->param(i);
    const int16_t before = param.GetValue();
    renders_->Stop();
    param.SetValue(static_cast<int16_t>(static_cast<Slider*>(slider)->value()));
    if (param.GetValue() != before)
        history_.push(
            new ParamStep(steps_, node, i, {before, {}}, {param.GetValue(), {}}, ParamRun(slider)));
    if (auto* label = static_cast<Label*>(state_.valueLabels[i].data()))
        label->SetText(ValueLabelText(param.GetText()));
    if (state_.autoRender) RenderNow();
}

void MainWindow::EditChanged(QWidget* editBox) {
    const int i = panel_->FindValueControl(editBox);
    if (i < 0 || !state_.selection.node()) return;
    const QString text = static_cast<QLineEdit*>(editBox)->text().left(kEditBuffer);
    Node* node = state_.selection.node();
    std::string before = node->param(i).GetText();
    renders_->Stop();
    node->param(i).SetText(text.toStdString());
    if (node->param(i).GetText() != before)
        history_.push(new ParamStep(steps_, node, i, {0, std::move(before)},
                                    {0, node->param(i).GetText()}, ParamRun(editBox)));
    if (auto* label = static_cast<Label*>(state_.valueLabels[i].data())) label->SetText(text);
    if (state_.autoRender) RenderNow();
}

void MainWindow::AddNode() {
    const QModelIndexList selected = state_.nodeList->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return ShowOops("Select a node-type first from the available nodes.");
    const auto& prototype = state_.registry->prototypes()[selected.front().row()];
    std::vector<view::Point> corners = state_.view->Corners();
    renders_->Stop();
    Node* node = state_.graph->AddNode(state_.registry->CreateNode(prototype->typeId));
    if (!node) return ShowNoMemoryForNode();
    history_.push(new NodeStep(steps_, QStringLiteral("Add node"), state_.graph->NodeIndex(node),
                               {}, std::move(corners)));
    ResetSelectionPanel();
    SelectNode(node);
}

void MainWindow::ShowNoMemoryForNode() {
    ShowOops(QStringLiteral("There is not enough memory for another %1x%2 image.\n"
                            "Try a smaller texture.")
                 .arg(state_.graph->width)
                 .arg(state_.graph->height));
}

void MainWindow::CloneNode() {
    Node* node = state_.selection.node();
    if (!node) return;
    if (const char* refusal = CanCloneNode(*state_.graph, *node)) return ShowOops(refusal);
    std::vector<view::Point> corners = state_.view->Corners();
    renders_->Stop();
    Node* clone = state_.graph->AddNode(node->Clone());
    if (!clone) return ShowNoMemoryForNode();
    history_.push(new NodeStep(steps_, QStringLiteral("Clone node"), state_.graph->NodeIndex(clone),
                               {}, std::move(corners)));
    SelectNode(clone);
}

void MainWindow::DeleteNode() {
    Node* node = state_.selection.node();
    if (!node) return;
    if (const char* refusal = CanDeleteNode(*state_.graph, *node)) return ShowOops(refusal);
    state_.selection.Forget(node);
    std::vector<view::Point> corners = state_.view->Corners();
    const int index = state_.graph->NodeIndex(node);
    renders_->Stop();
    history_.push(new NodeStep(steps_, QStringLiteral("Delete node"), index,
                               TakeNode(*state_.graph, index), std::move(corners)));
    ResetSelectionPanel();
    SelectNode(nullptr);
}

void MainWindow::DeleteCable() {
    Cable* cable = state_.selection.highlighted().cable;
    auto& cables = state_.graph->cables;
    if (std::any_of(cables.begin(), cables.end(),
                    [cable](const auto& c) { return c.get() == cable; })) {
        state_.selection.Forget(cable);
        renders_->Stop();
        history_.push(new CableStep(steps_, QStringLiteral("Delete cable"),
                                    TakeCable(*state_.graph, cable), nullptr));
    }
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
    std::vector<BoxPos> layout;
    std::string error, warning;
    renders_->Stop();
    if (!LoadTextureFile(path.toStdString(), *state_.graph, *state_.registry, &layout, &error,
                         &warning)) {
        ShowOops(QString::fromStdString(error));
        return false;
    }
    // The old nodes and cables are gone, and with them every step.
    history_.clear();
    documentPath_ = path;
    UpdateTitle();
    state_.selection.ForgetAll();
    state_.view->SetLayout(layout);
    ResetSelectionPanel();
    UpdatePreviewScrollRanges();
    UpdateTextureDims();
    RenderNow();
    if (!warning.empty()) ShowOops(QString::fromStdString(warning));
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
    return documentPath_.isEmpty() ? SaveAs() : SaveFile(documentPath_);
}

bool MainWindow::SaveFile(const QString& path) {
    std::string error;
    if (SaveTextureFile(path.toStdString(), *state_.graph, state_.view->Layout(), &error)) {
        documentPath_ = path;
        history_.setClean();
        UpdateTitle();
        return true;
    }
    ShowOops(QString::fromStdString(error));
    return false;
}

bool MainWindow::RecoverFile(const QString& file, const QString& originalPath) {
    if (!OpenFile(file)) return false;
    documentPath_ = originalPath;
    history_.resetClean();
    UpdateTitle();
    autosave_->SaveNow();  // this editor's own copy before the old one goes
    return true;
}

void MainWindow::ToggleCheck(int id, bool& flag) {
    QAction* item = actions_[id];
    flag = !item->isChecked();
    item->setChecked(flag);
}

void MainWindow::SetCableResolution(int id) {
    state_.view->cableResolution = id == CMD_CABLES_LOW ? 10 : id == CMD_CABLES_HIGH ? 500 : 100;
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

void MainWindow::ResizeTexture(int side) {
    const int before = state_.graph->texture().width;
    if (ApplyTextureSize(side))
        history_.push(new TextureStep(
            steps_,
            side > before ? QStringLiteral("Larger texture") : QStringLiteral("Smaller texture"),
            before, side));
}

bool MainWindow::ApplyTextureSize(int side) {
    if (side > Image::kMaxSide) {
        ShowOops(
            QStringLiteral("Textures larger than %1x%1 are not supported.").arg(Image::kMaxSide));
        return false;
    }
    renders_->Stop();
    if (!state_.graph->SetTextureSize(side, side)) {
        const Image& texture = state_.graph->texture();
        ShowOops(QStringLiteral("There is not enough memory for a %1x%1 texture.\n"
                                "The texture stays %2x%3.")
                     .arg(side)
                     .arg(texture.width)
                     .arg(texture.height));
        return false;
    }
    RenderNow();
    UpdateTextureDims();
    UpdatePreviewScrollRanges();
    return true;
}

// After an undo or redo: what is shown follows the document.
void MainWindow::AfterStep(bool touchesTexture) {
    state_.view->Redraw();
    if (Node* node = state_.selection.node())
        panel_->BuildNodePanel(node);
    else
        panel_->BuildCablePanel(state_.selection.cable());
    if (touchesTexture && state_.autoRender) RenderNow();
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

void MainWindow::DrawPreview() {
    if (!state_.texture) return;
    const QRect& area = state_.previewArea;
    state_.preview->SetPicture(BuildPreviewPicture(
        *state_.texture, area.width(), area.height(), state_.previewHScroll->value(),
        state_.previewVScroll->value(), state_.zoom, state_.tiled));
    if (largeView_ && largeView_->isVisible()) largeView_->DrawLargeView();
}

// "clouds.mtf[*] — <caption>" once the document has a file; the caption alone before.
void MainWindow::UpdateTitle() {
    const QString caption = QStringLiteral("Swatcher [v%1] by Oxhal").arg(kVersion);
    if (documentPath_.isEmpty()) return setWindowTitle(caption);
    setWindowTitle(QFileInfo(documentPath_).fileName() + QStringLiteral("[*] \u2014 ") + caption);
    setWindowModified(!history_.isClean());
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
