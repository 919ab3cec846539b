#pragma once

#include <QFuture>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

#include "engine/common/progress.h"

class QTimer;
template <typename T>
class QFutureWatcher;

namespace vantorel::gui {

// One piece of engine work on a worker thread, driven from the window thread. The window
// never waits for the work and never pumps events for it: progress comes back coalesced to
// screen rate, and completion arrives as an ordinary event.
//
// Anything the user does meanwhile (close a window, quit, switch language) first pauses or
// stops the job at its next progress step, so nothing the work still uses is taken away
// under it.
class Job : public QObject {
    Q_OBJECT
public:
    explicit Job(QObject* parent = nullptr);
    // Stops the work and waits for it; its `done` does not run.
    ~Job() override;

    // Runs `work` on a worker thread. `work` gets the progress callback to hand to the engine
    // and must not touch widgets. `done` runs on the window thread once `work` has returned.
    void start(std::function<void(const ProgressFn&)> work, std::function<void()> done);
    bool running() const { return running_; }

    // Parks the work at its next progress step and returns once it is parked or has
    // returned. Until resume() or stop() nothing of the job moves: no progress, and a
    // `done` that falls due is held back.
    void pause();
    void resume();
    bool paused() const { return paused_; }

    // Asks the work to stop at its next progress step (the engine then writes nothing),
    // waits for it to return and runs `done` before returning, so that the caller finds
    // everything settled. `done` can tell with stopRequested().
    void stop();
    bool stopRequested() const;

    // How often progress reaches the window at most (about 60 a second).
    static constexpr int kFrameMs = 16;

signals:
    // `done` of `total`, at screen rate, in order, and always the last value before `done`.
    void progressed(qint64 done, qint64 total);

private:
    struct Control;
    void flushProgress();
    void finish();

    std::shared_ptr<Control> control_;
    QFutureWatcher<void>* watcher_ = nullptr;
    QTimer* frames_ = nullptr;
    std::function<void()> done_;
    bool running_ = false;
    bool paused_ = false;
    bool finishHeld_ = false;
    qint64 shownDone_ = -1;
    qint64 shownTotal_ = -1;
};

}  // namespace vantorel::gui
