// The document's renders, one at a time on a thread of their own, while the
// event loop goes on. Requests made before a render starts make one render,
// started once the events already queued are handled. A change of the
// document's structure first stops the running render, which is cancelled
// (leaving no trace) and becomes due again. Each render computes with the
// parameter values taken when it starts, so parameters may change without
// stopping it: a request while a render runs starts the next render as soon
// as the running one has completed and is shown, and a drag keeps the
// preview moving.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "engine/RenderCancel.h"
#include "engine/RenderContext.h"

struct AppState;
class Node;

class RenderScheduler : public QObject {
    Q_OBJECT
public:
    // `shown` is called once a render has completed and state.texture holds it.
    RenderScheduler(AppState& state, std::function<void()> shown);
    ~RenderScheduler() override;

    // The node whose image the preview shows instead of the texture (null for
    // the texture), asked for when needed: it may change while a render runs.
    std::function<Node*()> focus;

    // A render of the document as it will be when the queued events are done.
    void Request();
    // Call when the focus changed: shows the node's image as of the last
    // completed render, after bringing it up to date first when that render
    // did not reach it.
    void FocusChanged();
    // Call when the document changed without changing the texture: renders the
    // focus again, when it is due, if the texture does not use it.
    void FocusEdited();
    // Call before any change of the document other than a parameter value:
    // cancels the running render and waits for its thread, which stops at its
    // next checkpoint. A render that completed meanwhile is shown now; a
    // cancelled one is due again.
    void Stop();
    // For closing: cancels the running render and drops the due one; a render
    // that completed meanwhile is not shown.
    void Abandon();

    // Stops the running render and keeps due renders from starting while
    // alive, for a change that may first wait for the user (a dialog).
    class Hold {
    public:
        explicit Hold(RenderScheduler& scheduler);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        RenderScheduler& scheduler_;
    };

    bool running() const { return worker_.joinable(); }
    bool busy() const { return running() || due_ || focusDue_; }  // running or to come
    int started() const { return started_; }
    int cancelled() const { return cancelled_; }
    // Renders that ran out of memory; each is reported in a message box.
    int outOfMemory() const { return outOfMemoryCount_; }

private:
    void Post();
    void StartDue();
    void CancelAndJoin();
    void WorkerEnded(unsigned generation);
    void Finish();
    void ShowBusy();
    void KeepTexture();
    void ReportOutOfMemory();
    bool KeepFocus();

    AppState& state_;
    std::function<void()> shown_;
    std::thread worker_;
    std::unique_ptr<CancelFlag> cancel_;
    // The running render's state; it skips the nodes whose inputs and
    // parameters have not changed since they last computed.
    std::unique_ptr<RenderContext> context_;
    std::unique_ptr<RenderContext> rootContext_;  // of the render rooted at the focus
    // Written by the worker before it ends; read after joining it.
    bool completed_ = false;
    bool outOfMemory_ = false;
    int64_t endTicks_ = 0;

    int64_t startTicks_ = 0;
    unsigned generation_ = 0;  // tells a worker's end from an earlier one's
    bool due_ = false;
    bool focusDue_ = false;  // a render rooted at the focus alone
    bool storeRun_ = false;  // what the running render renders
    Node* rootRun_ = nullptr;
    const Node* rooted_ = nullptr;  // the root of the last completed rooted render
    bool posted_ = false;
    int holds_ = 0;
    bool busyCursor_ = false;
    QTimer busyDelay_;
    int started_ = 0;
    int cancelled_ = 0;
    int outOfMemoryCount_ = 0;
};
