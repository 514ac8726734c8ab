// The editor's main window: start-up, the menu and its single command
// dispatch, the editor view's and the sliders' messages, rendering and the
// preview, and shut-down. The document itself is the DocumentController's;
// MainWindowWidgets.cpp builds and lays out the controls.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <optional>

#include "app/AppState.h"
#include "app/DocumentController.h"
#include "app/RenderScheduler.h"
#include "view/Geometry.h"

class Autosave;
class QAction;
class QCloseEvent;
class QMenu;
class QScrollBar;
class QWheelEvent;
class MessageEvent;
class SelectionPanel;
struct MenuItem;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Starts the editor: builds the windows, shows this one, creates the
    // document and renders it once.
    MainWindow();
    ~MainWindow() override;

    void Command(int id);
    void HandleMessage(const MessageEvent& message);

    // Open and Save without their dialogs; a failure shows a message box and
    // changes nothing. True on success.
    bool OpenFile(const QString& path);
    bool SaveFile(const QString& path);
    // Opens a recovery file as a modified document with its original path.
    bool RecoverFile(const QString& file, const QString& originalPath);

    // Renders on the render thread once the events in hand are done; a
    // running render is superseded.
    void RenderNow();
    void DrawPreview();

    AppState& state() { return state_; }
    SelectionPanel& panel() { return *panel_; }
    QWidget* control(int id) const { return controls_.value(id); }
    QAction* action(int id) const { return actions_.value(id); }
    // The widget whose area is the dialog's client area: parent of every
    // control, the view and the selection panel's rows.
    QWidget* client() const { return client_; }
    DocumentController& document() { return *document_; }
    RenderScheduler& renders() { return *renders_; }

signals:
    // Exit and closing the window ask the application to leave its loop.
    void quitRequested(int exitCode);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class ClientArea;

    void BuildControls();
    void BuildMenu();
    QAction* AddMenuAction(QMenu* menu, const MenuItem& item);
    void ApplyLayout(int width, int height);
    void SetupScrollBar(QScrollBar* bar, int maximum);
    void UpdateViewScrollBars();
    void AddDeleteShortcut();
    void ScrollView(const QWheelEvent& wheel);

    void SelectNode(Node* node);
    void SelectNodes(std::vector<Node*> nodes);
    void SelectAll();
    void SelectCable(Cable* cable);
    void ResetSelectionPanel();
    void SliderChanged(QWidget* slider);
    void ApplyPendingSlider();
    void EditChanged(QWidget* editBox);

    NodeGraph& graph() { return *state_.graph; }
    void CreateDocument();
    void AddNode();
    void AddNodeAt(int type, view::Point at, Pin* pin);
    void CloneNode();
    void DeleteNode();
    void DeleteNodes(const std::string& text);
    bool Copy();
    void Cut();
    void Paste();
    void PasteNodes(const std::vector<uint8_t>& bytes, std::optional<view::Point> at,
                    const std::string& text);
    // The mouse in document coordinates when it is over the view.
    std::optional<view::Point> MouseInView() const;
    void DeleteCable();
    void Open();
    QString ChooseFile(const FileDialogRequest& request);
    // True once the document is in a file; false when cancelled or failed.
    bool SaveAs();
    bool SaveCurrent();
    // Asks to save unsaved changes; false when the user keeps the document.
    bool MayDropDocument();
    void Exit();
    void ToggleCheck(int id, bool& flag);
    void SetCableResolution(int id);
    void ZoomIn();
    void ZoomOut();
    void DocumentChanged(const DocumentChange& change);
    long long ParamRun(QWidget* control) const;
    void ShowLargeView();
    void About();
    void Help();

    void UpdateTitle();
    void UpdateHistoryItems();
    void UpdateTextureDims();
    void UpdateZoomText();
    void UpdatePreviewScrollRanges();
    // The node the preview shows: the one selected unless it is the Store.
    Node* PreviewedNode() const;
    void UpdateThumbnails();

    AppState state_;
    QWidget* client_ = nullptr;
    std::unique_ptr<SelectionPanel> panel_;
    std::unique_ptr<LargeView> largeView_;
    QHash<int, QWidget*> controls_;
    QHash<int, QAction*> actions_;
    std::unique_ptr<RenderScheduler> renders_;
    std::unique_ptr<DocumentController> document_;
    Autosave* autosave_ = nullptr;     // a child: removes its file when the window goes
    QString lastFolder_;               // of the last file dialog
    QPointer<QWidget> pendingSlider_;  // changed while a render ran
};
