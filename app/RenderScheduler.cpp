#include "app/RenderScheduler.h"

#include <QApplication>
#include <cstring>
#include <new>

#include "app/AppState.h"
#include "app/FileDialogs.h"
#include "app/ProgressBarListener.h"
#include "engine/Diagnostics.h"
#include "platform/PerfCounter.h"

namespace {
// Shorter renders show neither the busy cursor nor the bar moving.
constexpr int kBusyDelayMs = 50;
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

void RenderScheduler::StartDue() {
    posted_ = false;
    // A running render goes on to completion; its end posts this again.
    if (!due_ || holds_ > 0 || !state_.graph || running()) return;
    due_ = false;
    NodeGraph& graph = *state_.graph;
    state_.progress->Prepare(graph.CountUpstream());
    cancel_ = std::make_unique<CancelFlag>();
    context_ = std::make_unique<RenderContext>(cancel_.get(), true);
    context_->TakeParams(graph);
    completed_ = false;
    ++started_;
    const unsigned generation = ++generation_;
    startTicks_ = platform::QueryPerformanceCounter();
    busyDelay_.start();
    outOfMemory_ = false;
    worker_ = std::thread([this, &graph, generation, context = context_.get()] {
        try {
            completed_ = graph.Render(*context);
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
    if (!completed_ && !outOfMemory_) due_ = true;
    Finish();
}

void RenderScheduler::Abandon() {
    due_ = false;
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
        KeepTexture();
        state_.progress->Reveal();
        shown_();
        DebugLog("Update took %i ms.", ElapsedMilliseconds(startTicks_, endTicks_,
                                                           platform::QueryPerformanceFrequency()));
    }
    if (busyCursor_) QApplication::restoreOverrideCursor();
    busyCursor_ = false;
    if (outOfMemory_) ReportOutOfMemory();
    if (due_) Post();
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
    const Image& texture = state_.graph->texture();
    auto& kept = state_.texture;
    if (!kept || kept->width != texture.width || kept->height != texture.height) {
        auto fresh = Image::Create(texture.width, texture.height);
        if (!fresh) return;  // logged; the last texture stays on show
        kept = std::move(fresh);
    }
    std::memcpy(kept->pixels, texture.pixels, texture.byteCount());
}

RenderScheduler::Hold::Hold(RenderScheduler& scheduler) : scheduler_(scheduler) {
    scheduler_.Stop();
    ++scheduler_.holds_;
}

RenderScheduler::Hold::~Hold() {
    if (--scheduler_.holds_ == 0 && scheduler_.due_) scheduler_.Post();
}
