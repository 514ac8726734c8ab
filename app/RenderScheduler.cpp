#include "app/RenderScheduler.h"

#include <QApplication>
#include <atomic>
#include <cstring>

#include "app/AppState.h"
#include "app/ProgressBarListener.h"
#include "engine/Diagnostics.h"
#include "engine/NodeGraph.h"
#include "engine/RenderCancel.h"
#include "engine/RenderRollback.h"
#include "platform/FpState.h"
#include "platform/PerfCounter.h"

namespace {
// Shorter renders show neither the busy cursor nor the bar moving.
constexpr int kBusyDelayMs = 50;

int CountFrom(Node* node) {
    node->visited = 1;
    int count = 1;
    for (const auto& pin : node->inputPins) {
        if (pin->cables.empty()) continue;
        Node* upstream = pin->cables.front()->OtherEnd(pin.get())->owner;
        if (!upstream->visited) count += CountFrom(upstream);
    }
    return count;
}

// The nodes a render rooted at `root` updates: the progress bar's total.
int CountUpstreamOf(NodeGraph& graph, Node& root) {
    for (const auto& node : graph.nodes) node->visited = 0;
    return CountFrom(&root);
}

// Brings `root` up to date by the pull a render of the texture makes, rooted
// at it: the same update frames, log lines, checkpoints and rollback. Stands
// in for the engine's own entry point, which is on its way.
bool RenderRootedAt(NodeGraph& graph, Node& root, RenderCancel* cancel) {
    platform::ResetFloatingPoint();
    for (const auto& node : graph.nodes) node->visited = 0;
    // Numbered apart from the engine's own renders.
    static std::atomic<uint64_t> renders{uint64_t{1} << 62};
    Node::SetCurrentRender(++renders);
    RenderRollback rollback(*cancel);
    bool completed = true;
    try {
        root.Update();
    } catch (const RenderCancelled&) {
        rollback.Restore();
        completed = false;
    }
    Node::SetCurrentRender(0);
    return completed;
}

// Copies `from` into `kept`, whose size follows; false when memory runs out.
bool KeepCopy(const Image& from, std::unique_ptr<Image>& kept) {
    if (!kept || kept->width != from.width || kept->height != from.height) {
        auto fresh = Image::Create(from.width, from.height);
        if (!fresh) return false;  // logged
        kept = std::move(fresh);
    }
    std::memcpy(kept->pixels, from.pixels, from.byteCount());
    return true;
}

}  // namespace

RenderScheduler::RenderScheduler(AppState& state, std::function<void()> shown)
    : state_(state), shown_(std::move(shown)) {
    busyDelay_.setSingleShot(true);
    busyDelay_.setInterval(kBusyDelayMs);
    connect(&busyDelay_, &QTimer::timeout, this, &RenderScheduler::ShowBusy);
}

RenderScheduler::~RenderScheduler() {
    Abandon();
}

void RenderScheduler::Request() {
    due_ = true;
    Post();
}

// Queued behind the events already posted, so that a burst of slider
// messages ends in one render of the last value.
void RenderScheduler::Post() {
    if (posted_ || holds_ > 0) return;
    posted_ = true;
    QMetaObject::invokeMethod(this, &RenderScheduler::StartDue, Qt::QueuedConnection);
}

void RenderScheduler::FocusChanged() {
    if (running()) return;  // shown once the render ends
    if (KeepFocus()) return shown_();
    focusDue_ = true;
    Post();
}

// A render of the texture also brings up to date a focus it does not reach.
void RenderScheduler::StartDue() {
    posted_ = false;
    if (!(due_ || focusDue_) || holds_ > 0 || !state_.graph) return;
    Stop();  // a render that is asked for again supersedes the running one
    NodeGraph& graph = *state_.graph;
    Node* focused = focus ? focus() : nullptr;
    storeRun_ = due_;
    rootRun_ = focused && !graph.ReachesStore(focused) ? focused : nullptr;
    due_ = focusDue_ = false;
    if (!storeRun_ && !rootRun_) {
        KeepFocus();
        return shown_();
    }
    state_.progress->Prepare((storeRun_ ? graph.CountUpstream() : 0) +
                             (rootRun_ ? CountUpstreamOf(graph, *rootRun_) : 0));
    cancel_ = std::make_unique<CancelFlag>();
    completed_ = false;
    ++started_;
    const unsigned generation = ++generation_;
    startTicks_ = platform::QueryPerformanceCounter();
    busyDelay_.start();
    worker_ = std::thread(
        [this, &graph, generation, cancel = cancel_.get(), store = storeRun_, root = rootRun_] {
            completed_ =
                (!store || graph.Render(cancel)) && (!root || RenderRootedAt(graph, *root, cancel));
            endTicks_ = platform::QueryPerformanceCounter();
            QMetaObject::invokeMethod(
                this, [this, generation] { WorkerEnded(generation); }, Qt::QueuedConnection);
        });
}

void RenderScheduler::WorkerEnded(unsigned generation) {
    if (generation != generation_ || !running()) return;  // Stop has joined it already
    worker_.join();
    Finish();
}

void RenderScheduler::CancelAndJoin() {
    cancel_->Set();
    worker_.join();
    if (!completed_) ++cancelled_;
}

void RenderScheduler::Stop() {
    if (!running()) return;
    CancelAndJoin();
    if (!completed_) {
        due_ = due_ || storeRun_;
        focusDue_ = focusDue_ || rootRun_;
    }
    Finish();
}

void RenderScheduler::Abandon() {
    due_ = focusDue_ = false;
    if (!running()) return;
    CancelAndJoin();
    completed_ = false;
    Finish();
}

// The order of a render's effects: the bar's final position, the preview,
// the time in the log, the arrow cursor.
void RenderScheduler::Finish() {
    busyDelay_.stop();
    if (completed_) {
        if (storeRun_) KeepTexture();
        if (rootRun_) rooted_ = rootRun_;
        state_.progress->Reveal();
        if (!KeepFocus()) focusDue_ = true;
        shown_();
        DebugLog("Update took %i ms.", ElapsedMilliseconds(startTicks_, endTicks_,
                                                           platform::QueryPerformanceFrequency()));
    }
    if (busyCursor_) QApplication::restoreOverrideCursor();
    busyCursor_ = false;
    if (due_ || focusDue_) Post();
}

void RenderScheduler::ShowBusy() {
    if (!running()) return;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    busyCursor_ = true;
    state_.progress->Reveal();
}

// The copy is what the preview, the large view and the export read: the
// Store image itself belongs to the next render as soon as it starts.
void RenderScheduler::KeepTexture() {
    KeepCopy(state_.graph->texture(), state_.texture);  // on failure the last one stays
}

// The focus's image is up to date when the last render of the texture reached
// it or the last rooted render was rooted at it; false when it is not.
bool RenderScheduler::KeepFocus() {
    Node* node = focus ? focus() : nullptr;
    if (node && node != rooted_ && !state_.graph->ReachesStore(node)) return false;
    state_.nodeImageOf = node && KeepCopy(*node->image, state_.nodeImage) ? node : nullptr;
    if (state_.nodeImageOf) state_.nodeImageName = node->name;
    return true;
}

RenderScheduler::Hold::Hold(RenderScheduler& scheduler) : scheduler_(scheduler) {
    scheduler_.Stop();
    ++scheduler_.holds_;
}

RenderScheduler::Hold::~Hold() {
    if (--scheduler_.holds_ == 0 && scheduler_.due_) scheduler_.Post();
}
