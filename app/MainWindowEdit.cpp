// The Edit menu's node commands. Copied nodes travel between editors as
// texture-file bytes under a MIME type of their own.
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QListWidget>
#include <QMimeData>

#include "app/DocumentRules.h"
#include "app/FileDialogs.h"
#include "app/MainWindow.h"
#include "view/NodesView.h"

namespace {

const QString kNodesMimeType = QStringLiteral("application/x-swatcher-nodes");

}  // namespace

void MainWindow::AddNode() {
    const QModelIndexList selected = state_.nodeList->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return ShowOops("Select a node-type first from the available nodes.");
    const auto& prototype = state_.registry->prototypes()[selected.front().row()];
    Node* node = document_->AddNode(state_.registry->CreateNode(prototype->typeId));
    if (!node) return;
    ResetSelectionPanel();
    SelectNode(node);
}

// A node from the search popup or a drop, its box centred on `at`.
void MainWindow::AddNodeAt(int type, view::Point at, Pin* pin) {
    const auto& prototypes = state_.registry->prototypes();
    if (type < 0 || type >= static_cast<int>(prototypes.size())) return;
    Node* node = document_->AddNodeAt(state_.registry->CreateNode(prototypes[type]->typeId),
                                      {at.x - view::kBoxSize / 2, at.y - view::kBoxSize / 2}, pin);
    state_.view->model().CancelDrawing();
    if (!node) return;
    ResetSelectionPanel();
    SelectNode(node);
}

// The whole selection with the cables among its nodes, beside the originals.
void MainWindow::CloneNode() {
    const std::vector<Node*> nodes = state_.selection.nodes();
    if (nodes.empty()) return;
    std::vector<Node*> added =
        document_->CloneNodes(nodes, nodes.size() == 1 ? "Clone node" : "Clone nodes");
    if (!added.empty()) SelectNodes(std::move(added));
}

// One node keeps the refusal when it has cables; several go with theirs.
void MainWindow::DeleteNode() {
    const std::vector<Node*> nodes = state_.selection.nodes();
    if (nodes.size() != 1) return DeleteNodes("Delete nodes");
    if (!document_->DeleteNode(*nodes.front())) return;
    ResetSelectionPanel();
    SelectNode(nullptr);
}

void MainWindow::DeleteNodes(const std::string& text) {
    const std::vector<Node*> nodes = state_.selection.nodes();
    if (nodes.empty() || !document_->DeleteNodes(nodes, text)) return;
    ResetSelectionPanel();
    SelectNode(nullptr);
}

void MainWindow::DeleteCable() {
    document_->DeleteCable(state_.selection.highlighted().cable);
    state_.selection.ClearHighlight();
    state_.view->Redraw();
}

bool MainWindow::Copy() {
    const std::vector<Node*>& nodes = state_.selection.nodes();
    if (nodes.empty()) return false;
    const std::vector<uint8_t> bytes = document_->CopyNodes(nodes);
    if (bytes.empty()) {
        document_->Refuse(CanCloneNode(graph(), *graph().store()));
        return false;
    }
    auto* data = new QMimeData;
    data->setData(kNodesMimeType, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<qsizetype>(bytes.size())));
    QGuiApplication::clipboard()->setMimeData(data);
    return true;
}

void MainWindow::Cut() {
    if (Copy()) DeleteNodes("Cut");
}

void MainWindow::Paste() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const QByteArray bytes = data ? data->data(kNodesMimeType) : QByteArray();
    PasteNodes({bytes.begin(), bytes.end()}, MouseInView(), "Paste");
}

void MainWindow::PasteNodes(const std::vector<uint8_t>& bytes, std::optional<view::Point> at,
                            const std::string& text) {
    std::vector<Node*> added = document_->PasteNodes(bytes, at, text);
    if (!added.empty()) SelectNodes(std::move(added));
}

std::optional<view::Point> MainWindow::MouseInView() const {
    const QPoint at = state_.view->mapFromGlobal(QCursor::pos());
    if (!state_.view->rect().contains(at)) return std::nullopt;
    return state_.view->model().DocumentAt({at.x(), at.y()});
}
