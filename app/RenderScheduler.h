// The document's renders, one at a time on a thread of their own, while the
// event loop goes on. Requests made before a render starts make one render,
// started once the events already queued are handled; a change of the
// document first stops the running render, which is cancelled (leaving no
// trace) and becomes due again.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "engine/RenderCancel.h"

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
    // Call before any change of the document: cancels the running render and
    // waits for its thread, which stops at its next checkpoint. A render that
    // completed meanwhile is shown now; a cancelled one is due again.
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

private:
    void Post();
    void StartDue();
    void CancelAndJoin();
    void WorkerEnded(unsigned generation);
    void Finish();
    void ShowBusy();
    void KeepTexture();
    bool KeepFocus();

    AppState& state_;
    std::function<void()> shown_;
    std::thread worker_;
    std::unique_ptr<CancelFlag> cancel_;
    // Written by the worker before it ends; read after joining it.
    bool completed_ = false;
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
};
