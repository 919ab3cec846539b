#include "gui/common/tool_window.h"

#include <QAction>
#include <QMdiSubWindow>

namespace vantorel::gui {
void ToolWindow::unloadTool() {
    emit unloaded();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        sub->setAttribute(Qt::WA_DeleteOnClose, true);
        sub->close();
    } else {
        close();
        deleteLater();
    }
}

void ToolWindow::addKeys(const QKeySequence& keys, std::function<void()> run) {
    auto* action = new QAction(this);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(action);
    connect(action, &QAction::triggered, this, std::move(run));
}

Job* ToolWindow::newJob() {
    auto* job = new Job(this);
    jobs_.append(job);
    return job;
}

bool ToolWindow::working() const {
    for (const Job* j : jobs_)
        if (j->running()) return true;
    return false;
}

void ToolWindow::pauseWork() {
    for (Job* j : jobs_) j->pause();
}

void ToolWindow::resumeWork() {
    for (Job* j : jobs_) j->resume();
}

void ToolWindow::stopWork() {
    for (Job* j : jobs_) j->stop();
}

}  // namespace vantorel::gui
