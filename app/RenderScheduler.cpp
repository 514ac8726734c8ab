#include "app/RenderScheduler.h"

#include <QApplication>
#include <cstring>
#include <new>

#include "app/AppState.h"
#include "app/FileDialogs.h"
#include "app/ProgressBarListener.h"
#include "engine/Diagnostics.h"
#include "engine/NodeGraph.h"
#include "engine/RenderCancel.h"
#include "platform/PerfCounter.h"

namespace {
// Shorter renders show neither the busy cursor nor the bar moving.
constexpr int kBusyDelayMs = 50;

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

// Skips the nodes whose inputs and parameters have not changed since they
// last computed; the values are taken here, on the document's thread.
std::unique_ptr<RenderContext> TakeContext(const NodeGraph& graph, RenderCancel* cancel) {
    auto context = std::make_unique<RenderContext>(cancel, true);
    context->TakeParams(graph);
    return context;
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

void RenderScheduler::FocusEdited() {
    focusDue_ = true;
    Post();
}

// A render of the texture also brings up to date a focus it does not reach.
void RenderScheduler::StartDue() {
    posted_ = false;
    // A running render goes on to completion; its end posts this again.
    if (!(due_ || focusDue_) || holds_ > 0 || !state_.graph || running()) return;
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
                             (rootRun_ ? graph.CountUpstream(rootRun_) : 0));
    cancel_ = std::make_unique<CancelFlag>();
    // A context serves one render: the rooted one takes its own.
    context_ = storeRun_ ? TakeContext(graph, cancel_.get()) : nullptr;
    rootContext_ = rootRun_ ? TakeContext(graph, cancel_.get()) : nullptr;
    completed_ = false;
    ++started_;
    const unsigned generation = ++generation_;
    startTicks_ = platform::QueryPerformanceCounter();
    busyDelay_.start();
    outOfMemory_ = false;
    worker_ = std::thread([this, &graph, generation, store = context_.get(), root = rootRun_,
                           rootContext = rootContext_.get()] {
        try {
            completed_ = (!store || graph.Render(*store)) &&
                         (!root || graph.RenderFrom(*root, *rootContext));
        } catch (const std::bad_alloc&) {
            outOfMemory_ = true;  // the document is untouched; its images are redone next time
        }
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
    if (!completed_ && !outOfMemory_) {
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
    if (outOfMemory_) ReportOutOfMemory();
    if (due_ || focusDue_) Post();
}

// Later, from the event loop: Finish may run in the middle of a change of the
// document, which a message box's own event loop must not interrupt.
void RenderScheduler::ReportOutOfMemory() {
    outOfMemory_ = false;
    ++outOfMemoryCount_;
    const QString text = QStringLiteral(
                             "There is not enough memory to render the %1x%2 texture.\n"
                             "The last texture stays on show; a smaller texture or fewer "
                             "nodes may fit.")
                             .arg(state_.graph->width)
                             .arg(state_.graph->height);
    QMetaObject::invokeMethod(
        this, [text] { ShowOops(text); }, Qt::QueuedConnection);
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
    if (--scheduler_.holds_ == 0 && (scheduler_.due_ || scheduler_.focusDue_)) scheduler_.Post();
}
