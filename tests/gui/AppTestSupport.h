// Helpers for the main window's tests: a closer for message boxes, scripted
// file dialogs, and a test-only node whose image shows its parameters.
#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <atomic>
#include <climits>
#include <functional>
#include <memory>
#include <vector>

#include "app/AppState.h"
#include "app/MainWindow.h"
#include "engine/Node.h"

class LargeView;
class RenderCancel;

// Answers every modal message box that appears while alive and records it;
// onBox runs while the box is up.
class BoxCloser {
public:
    struct Box {
        QString title;
        QString text;
        bool owned;  // has a parent window
    };

    explicit BoxCloser(QMessageBox::StandardButton answer = QMessageBox::Ok,
                       std::function<void()> onBox = {});
    const std::vector<Box>& boxes() const { return boxes_; }
    QStringList texts() const;

private:
    QTimer timer_;
    std::vector<Box> boxes_;
};

// Pixel (x, y) = (x ^ Level, y, x ^ y ^ Blue): every pixel of a texture up to
// 256 wide differs; its text goes nowhere. Each band of rows first waits for
// a permit from the test, or gives up when the render is cancelled, so a
// render lasts exactly as long as the test wants, whatever the machine's speed.
class ProbeNode : public Node {
public:
    static inline std::atomic<int> permits{INT_MAX};
    static inline std::atomic<int> waiting{0};  // bands held at the gate now

    explicit ProbeNode(int width = 1, int height = 1);
    std::unique_ptr<Node> Clone() const override { return CloneAs<ProbeNode>(); }
    void Compute() override;

private:
    static bool Pass(RenderCancel* cancel);
};

// The text of a Label given as a plain widget.
QString LabelText(QWidget* label);
// Clicks the large view's button with this text.
void ClickButton(LargeView* view, const char* text);

// A main window whose file dialogs answer from a script.
class AppFixture {
public:
    AppFixture();
    ~AppFixture();

    MainWindow& window() { return *window_; }
    AppState& state() { return window_->state(); }
    // Waits for the renders first: the document is not touched while one runs.
    NodeGraph& graph() {
        WaitForRenders();
        return *window_->state().graph;
    }
    // Lets the event loop run until no render is running or due.
    void WaitForRenders() const;

    // The next file dialog answers this path (empty: cancel).
    void AnswerDialog(const QString& path) { answer_ = path; }
    const std::vector<FileDialogRequest>& requests() const { return requests_; }

    // Adds a T and cables its output to the Store node's input.
    template <class T>
    Node* Feed() {
        return AddFeedingStore(std::make_unique<T>());
    }
    Node* AddFeedingStore(std::unique_ptr<Node> node);
    // Sends a view message to the main window as the editor view does.
    void SendMessage(int message, long long wParam = 0);
    int RenderCount() const;           // "Update took" lines once the renders are done
    std::vector<uint8_t> Saved();      // the document as Save writes it
    QPoint PinCentre(const Pin* pin);  // in the editor view, redrawn first

private:
    std::unique_ptr<class LogCapture> log_;
    std::unique_ptr<MainWindow> window_;
    QString answer_;
    std::vector<FileDialogRequest> requests_;
};

// A fresh main window per test, with short names for its parts.
class AppTest : public ::testing::Test, public AppFixture {
protected:
    MainWindow& w = window();
    AppState& s = state();

    // The text of the main window's edit field with this identifier.
    QString Field(int id) { return static_cast<QLineEdit*>(w.control(id))->text(); }
};
