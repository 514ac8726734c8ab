#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QTimer>

#include "app/Autosave.h"
#include "app/FileDialogs.h"
#include "app/LargeView.h"
#include "app/Layout.h"
#include "app/Preview.h"
#include "app/ProgressBarListener.h"
#include "app/SelectionPanel.h"
#include "controls/Label.h"
#include "controls/Messages.h"
#include "controls/Slider.h"
#include "platform/ImageWriter.h"
#include "view/NodesView.h"

namespace {

constexpr int kStartTextureSize = 64;
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
    AddDeleteShortcut();
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
    QStringList types;
    for (const auto& prototype : state_.registry->prototypes())
        types << QString::fromStdString(prototype->name);
    state_.nodeList->addItems(types);
    state_.view->SetNodeTypes(types);
    ResetSelectionPanel();
    UpdateTextureDims();
    UpdateZoomText();
    state_.autoRender = true;
    state_.selection.Show({});
    UpdateViewScrollBars();
    InitImageLibrary();
    UpdatePreviewScrollRanges();
    RenderNow();
    autosave_ = new Autosave(
        Autosave::Document{[this] { return document_->modified(); },
                           [this] { return QString::fromStdString(document_->path()); },
                           [this](const QString& file, std::string* error) {
                               return SaveTextureFile(file.toStdString(), *state_.graph,
                                                      state_.view->model().Layout(), error);
                           }},
        this);
    QMetaObject::invokeMethod(
        this, [this] { OfferRecovery(this, [this](auto... a) { return RecoverFile(a...); }); },
        Qt::QueuedConnection);
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
        case CMD_DELETE_WITH_CABLES:
            return DeleteNodes("Delete with cables");
        case CMD_SELECT_ALL:
            return SelectAll();
        case CMD_COPY:
            Copy();
            return;
        case CMD_CUT:
            return Cut();
        case CMD_PASTE:
            return Paste();
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
        case MSG_SELECT_NODES:
            return SelectNodes(state_.selection.highlighted().nodes);
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

void MainWindow::SelectNodes(std::vector<Node*> nodes) {
    state_.selection.Highlight(Selection::Of(nodes));
    state_.view->Redraw();
    panel_->BuildNodesPanel(nodes);
}

void MainWindow::SelectAll() {
    std::vector<Node*> nodes;
    for (const auto& node : state_.graph->nodes) nodes.push_back(node.get());
    SelectNodes(std::move(nodes));
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

void MainWindow::EditChanged(QWidget* editBox) {
    const int i = panel_->FindValueControl(editBox);
    if (i < 0 || !state_.selection.node()) return;
    const QString text = static_cast<QLineEdit*>(editBox)->text().left(kEditBuffer);
    Node* node = state_.selection.node();
    document_->SetParam(*node, i, {0, text.toStdString()}, ParamRun(editBox));
    if (auto* label = static_cast<Label*>(state_.valueLabels[i].data())) label->SetText(text);
}

void MainWindow::Open() {
    const RenderScheduler::Hold hold(*renders_);
    if (!MayDropDocument()) return;
    const QString path = ChooseFile({FileDialogRequest::kOpen,
                                     QStringLiteral("Select a texture to assimilate..."),
                                     {kTextureFilter},
                                     QStringLiteral("mtf")});
    if (!path.isEmpty()) OpenFile(path);
}

// Dialogs start in the document's folder, else the last one used, else the examples.
QString MainWindow::ChooseFile(const FileDialogRequest& request) {
    const QString path = QString::fromStdString(document_->path());
    SetDialogFolder(!path.isEmpty()          ? QFileInfo(path).absolutePath()
                    : !lastFolder_.isEmpty() ? lastFolder_
                                             : ExamplesFolder());
    const QString chosen = state_.chooseFile(this, request);
    if (!chosen.isEmpty()) lastFolder_ = QFileInfo(chosen).absolutePath();
    return chosen;
}

bool MainWindow::OpenFile(const QString& path) {
    std::string warning;
    if (!document_->Open(path.toStdString(), &warning)) return false;
    ResetSelectionPanel();
    state_.view->model().ShowStore();  // boxes far away leave the Store in view
    state_.view->Redraw();
    UpdatePreviewScrollRanges();
    UpdateTextureDims();
    RenderNow();
    if (!warning.empty()) ShowOops(QString::fromStdString(warning));
    return true;
}

bool MainWindow::SaveAs() {
    const QString path = ChooseFile({FileDialogRequest::kSave,
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

bool MainWindow::RecoverFile(const QString& file, const QString& originalPath) {
    if (!OpenFile(file)) return false;
    document_->MarkRecovered(originalPath.toStdString());
    autosave_->SaveNow();  // this editor's own copy before the old one goes
    return true;
}

// Every change that may change the texture renders it (a resize always);
// edits show themselves where they are made, undo and redo show here what
// they changed.
void MainWindow::DocumentChanged(const DocumentChange& change) {
    if (change.resized) {
        UpdateTextureDims();
        UpdatePreviewScrollRanges();
    }
    // Every command stopped the running render before its change. A previewed
    // node the texture does not use renders on its own, once the selection is
    // what the change leaves.
    if (change.resized || (change.renders && state_.autoRender))
        renders_->Request();
    else if (state_.autoRender && state_.previewSelected)
        renders_->FocusEdited();
    if (!change.replayed) return;
    state_.view->Redraw();
    panel_->Build(state_.selection.shown());
}

// Changes through one control merge while it is the same gesture or run of
// typing on the same panel.
long long MainWindow::ParamRun(QWidget* control) const {
    const auto* slider = qobject_cast<const Slider*>(control);
    return (static_cast<long long>(panel_->generation()) << 32) | (slider ? slider->gesture() : 0);
}

void MainWindow::RenderNow() {
    renders_->Stop();
    renders_->Request();
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
        if (autosave_) autosave_->DocumentChanged();
    };
    layout.drawCable = [this](Pin* first, Pin* second) { document_->DrawCable(first, second); };
    UpdateHistoryItems();
}
