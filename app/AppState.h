// Everything that belongs to the running editor: the document, the registry,
// the editor view, the progress listener, the windows' controls, the preview
// settings and the selection.
#pragma once

#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/EditorSelection.h"
#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QScrollBar;
class QWidget;
class LargeView;
class NodesView;
class PreviewPane;
class ProgressBarListener;
class RenderScheduler;

// What a file-choosing dialog asks for. Filters are "Description (*.ext)".
struct FileDialogRequest {
    enum Mode { kOpen, kSave } mode;
    QString title;
    QStringList filters;
    QString defaultSuffix;
};

// Shows a file dialog owned by `owner`; returns the chosen path, or an empty
// string when the user cancels. Tests replace it.
using FileDialogFunction = std::function<QString(QWidget* owner, const FileDialogRequest&)>;

struct AppState {
    // The main window's controls.
    QListWidget* nodeList = nullptr;
    PreviewPane* preview = nullptr;
    QScrollBar* previewHScroll = nullptr;
    QScrollBar* previewVScroll = nullptr;
    QLineEdit* textureDims = nullptr;
    QLineEdit* zoomField = nullptr;
    QScrollBar* viewHScroll = nullptr;
    QScrollBar* viewVScroll = nullptr;
    QLineEdit* selectionTitle = nullptr;
    QGroupBox* selectionGroup = nullptr;
    QProgressBar* progressBar = nullptr;
    QLabel* previewCaption = nullptr;
    LargeView* largeView = nullptr;

    QRect previewArea;    // read once at start-up
    QRect largeViewArea;  // follows the large view's size

    int zoom = 1;
    bool tiled = true;
    bool autoRender = true;
    bool previewSelected = true;  // the preview shows the selected node's image
    EditorSelection selection;    // bound to the view once it exists

    std::unique_ptr<NodeGraph> graph;
    std::unique_ptr<NodeRegistry> registry;
    NodesView* view = nullptr;  // a child widget of the main window
    std::unique_ptr<ProgressBarListener> progress;
    // The last completed render's texture: what the preview, the large view
    // and the export show. The Store image itself is the running render's.
    std::unique_ptr<Image> texture;
    // A copy of the previewed node's image as of the render that last brought
    // it up to date, and that node; null while the texture is shown.
    std::unique_ptr<Image> nodeImage;
    const Node* nodeImageOf = nullptr;
    std::string nodeImageName;  // the caption; the node may be gone by the next paint

    // What the preview, the large view and the export show.
    const Image* shown() const { return nodeImageOf ? nodeImage.get() : texture.get(); }

    // The selection panel's rows: index i belongs to parameter i of the
    // selected node. Entries may be null when a control could not be made.
    std::vector<QPointer<QWidget>> valueControls;
    std::vector<QPointer<QWidget>> nameLabels;
    std::vector<QPointer<QWidget>> valueLabels;

    FileDialogFunction chooseFile;
};
