// The Edit menu's clipboard commands: copied nodes travel between editors as
// texture-file bytes under a MIME type of their own.
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMimeData>

#include "app/DocumentRules.h"
#include "app/MainWindow.h"
#include "view/NodesView.h"

namespace {

const QString kNodesMimeType = QStringLiteral("application/x-swatcher-nodes");

}  // namespace

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
    const NodesViewModel& model = state_.view->model();
    return view::Point{at.x() + model.scrollX, at.y() + model.scrollY};
}
