// Long work (opening or saving a large movie) runs on a thread of its own while the window
// waits in an event loop, so that it keeps repainting; meanwhile the cursor shows that the
// program is busy and the status bar shows what it does.
#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <utility>

class QProgressBar;
class QStatusBar;

namespace vorn {

class CBusyWork {
public:
    // The indication goes into `statusBar`, which must outlive this object, after the
    // permanent widgets it holds now.
    explicit CBusyWork(QStatusBar* statusBar);

    // Runs `work` on another thread and returns its result. The work must not touch widgets.
    // Input to the windows waits until the work is done; painting and timers go on.
    template <class Result, class Work>
    Result run(const QString& what, Work&& work) {
        std::optional<Result> result;
        runAside(what, [&] { result.emplace(work()); });
        return std::move(*result);
    }

    // True while work runs: commands that arrive meanwhile (a close request from the window
    // manager, a drop) are refused.
    bool isBusy() const { return m_busy; }

private:
    void runAside(const QString& what, const std::function<void()>& work);

    QStatusBar* m_statusBar;
    QProgressBar* m_progress;
    bool m_busy = false;
};

} // namespace vorn
