// Helpers for the main window's tests: a closer for message boxes, scripted
// file dialogs, and test-only nodes whose images show their parameters.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

#include "app/AppState.h"
#include "app/MainWindow.h"
#include "engine/Node.h"

// Closes every modal message box that appears while alive and records it.
class BoxCloser {
public:
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        bool owned;  // has a parent window
    };

    BoxCloser();
    const std::vector<Box>& boxes() const { return boxes_; }
    QStringList texts() const;

private:
    QTimer timer_;
    std::vector<Box> boxes_;
};

// Fills its image with (Level, 255 - Level, Blue, 0); its text goes nowhere.
class FillNode : public Node {
public:
    static constexpr uint8_t kTypeId = 200;
    FillNode(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<FillNode>(); }
    void Update() override;
};

// Pixel (x, y) = (x, y, x ^ y): every pixel of a texture up to 256 wide differs.
class PatternNode : public Node {
public:
    static constexpr uint8_t kTypeId = 201;
    PatternNode(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<PatternNode>(); }
    void Update() override;
};

// A main window whose file dialogs answer from a script.
class AppFixture {
public:
    AppFixture();
    ~AppFixture();

    MainWindow& window() { return *window_; }
    AppState& state() { return window_->state(); }
    NodeGraph& graph() { return *window_->state().graph; }

    // The next file dialog answers this path (empty: cancel).
    void AnswerDialog(const QString& path) { answer_ = path; }
    const std::vector<FileDialogRequest>& requests() const { return requests_; }

    // Adds the node and cables its output to the Store node's input.
    Node* AddFeedingStore(std::unique_ptr<Node> node);
    // Sends a view message to the main window as the editor view does.
    void SendMessage(int message, long long wParam = 0);
    int RenderCount() const;  // "Update took" lines so far

private:
    std::unique_ptr<class LogCapture> log_;
    std::unique_ptr<MainWindow> window_;
    QString answer_;
    std::vector<FileDialogRequest> requests_;
};
