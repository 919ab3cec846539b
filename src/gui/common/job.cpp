#include "gui/common/job.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <condition_variable>
#include <mutex>

namespace vantorel::gui {

// What the window thread and the worker share. The worker holds it too, so it stays valid
// whatever happens to the Job.
struct Job::Control {
    std::atomic<qint64> done{-1};
    std::atomic<qint64> total{-1};
    std::atomic<bool> stop{false};

    std::mutex mutex;
    std::condition_variable changed;
    bool pauseWanted = false;  // guarded by mutex
    bool parked = false;       // guarded by mutex
    bool returned = false;     // guarded by mutex

    // The engine's progress callback, on the worker.
    bool step(qint64 d, qint64 t) {
        done.store(d, std::memory_order_relaxed);
        total.store(t, std::memory_order_relaxed);
        std::unique_lock lock(mutex);
        if (pauseWanted && !stop) {
            parked = true;
            changed.notify_all();
            changed.wait(lock, [this] { return !pauseWanted || stop; });
            parked = false;
        }
        return !stop;
    }
};

Job::Job(QObject* parent) : QObject(parent) {
    frames_ = new QTimer(this);
    frames_->setInterval(kFrameMs);
    connect(frames_, &QTimer::timeout, this, &Job::flushProgress);
}

Job::~Job() {
    if (!running_) return;
    done_ = nullptr;
    control_->stop = true;
    {
        std::lock_guard lock(control_->mutex);
        control_->changed.notify_all();
    }
    if (watcher_) watcher_->waitForFinished();
}

void Job::start(std::function<void(const ProgressFn&)> work, std::function<void()> done) {
    if (running_) return;
    control_ = std::make_shared<Control>();
    done_ = std::move(done);
    running_ = true;
    paused_ = false;
    finishHeld_ = false;
    shownDone_ = shownTotal_ = -1;

    // The previous watcher may be the one whose signal is running this very call.
    if (watcher_) {
        watcher_->disconnect(this);
        watcher_->deleteLater();
    }
    watcher_ = new QFutureWatcher<void>(this);
    connect(watcher_, &QFutureWatcher<void>::finished, this, [this] {
        if (!running_) return;  // already settled by stop()
        if (paused_) {
            finishHeld_ = true;
            return;
        }
        finish();
    });
    std::shared_ptr<Control> control = control_;
    watcher_->setFuture(QtConcurrent::run([control, work = std::move(work)] {
        work([control](std::int64_t d, std::int64_t t) { return control->step(d, t); });
        std::lock_guard lock(control->mutex);
        control->returned = true;
        control->changed.notify_all();
    }));
    frames_->start();
}

void Job::pause() {
    if (!running_ || paused_) return;
    paused_ = true;
    frames_->stop();
    std::unique_lock lock(control_->mutex);
    control_->pauseWanted = true;
    // The work reaches its next step, or its end, within moments (one block, one file write).
    control_->changed.wait(lock, [this] { return control_->parked || control_->returned; });
}

void Job::resume() {
    if (!running_ || !paused_) return;
    paused_ = false;
    {
        std::lock_guard lock(control_->mutex);
        control_->pauseWanted = false;
        control_->changed.notify_all();
    }
    if (finishHeld_) {
        finish();
        return;
    }
    frames_->start();
}

bool Job::stopRequested() const {
    return control_ && control_->stop;
}

void Job::stop() {
    if (!running_) return;
    control_->stop = true;
    {
        std::lock_guard lock(control_->mutex);
        control_->changed.notify_all();
    }
    watcher_->waitForFinished();
    finish();
}

void Job::flushProgress() {
    if (!control_) return;
    const qint64 total = control_->total.load(std::memory_order_relaxed);
    const qint64 done = control_->done.load(std::memory_order_relaxed);
    if (total < 0 || (done == shownDone_ && total == shownTotal_)) return;
    shownDone_ = done;
    shownTotal_ = total;
    emit progressed(done, total);
}

void Job::finish() {
    frames_->stop();
    flushProgress();
    running_ = false;
    paused_ = false;
    finishHeld_ = false;
    // `done` may start the next job on this same object.
    auto done = std::move(done_);
    done_ = nullptr;
    if (done) done();
}

}  // namespace vantorel::gui
