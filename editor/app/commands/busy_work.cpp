#include "commands/busy_work.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressBar>
#include <QStatusBar>

#include <exception>
#include <malloc.h>
#include <system_error>
#include <thread>

namespace vorn {

CBusyWork::CBusyWork(QStatusBar* statusBar)
    : m_statusBar(statusBar), m_progress(new QProgressBar(statusBar)) {
    // A busy indication without a known end: the work does not report how far it is.
    m_progress->setRange(0, 0);
    m_progress->setMaximumWidth(160);
    m_progress->setTextVisible(false);
    m_statusBar->addPermanentWidget(m_progress);
    m_progress->hide();
}

void CBusyWork::runAside(const QString& what, const std::function<void()>& work) {
    m_busy = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_statusBar->showMessage(what);
    m_progress->show();

    std::exception_ptr failure;
    QEventLoop loop;
    try {
        std::thread worker([&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            // Delivered by the loop once it runs, so it cannot come too early; dropped if the
            // loop is gone.
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        worker.join();
    } catch (const std::system_error&) {
        // No thread to be had: the work runs here, without repainting meanwhile.
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }

#ifdef __GLIBC__
    // The work's thread leaves what it freed in pools of its own, out of reach of this
    // thread: after converting a large movie that is as much memory as the movie's text.
    malloc_trim(0);
#endif
    m_progress->hide();
    m_statusBar->clearMessage();
    QApplication::restoreOverrideCursor();
    m_busy = false;
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace vorn
