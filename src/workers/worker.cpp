#include "worker.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace naxo {

TWorker::TWorker(QObject *ui, QObject *parent) : QThread(parent), m_ui(ui) {}

bool TWorker::handOver(const std::function<void()> &step)
{
    if (isCancelled() || !m_ui)
        return false;
    if (m_ui->thread() == QThread::currentThread()) {
        step();
        return true;
    }
    return QMetaObject::invokeMethod(m_ui, step, Qt::BlockingQueuedConnection);
}

bool cancelAndJoin(const QList<QPointer<TWorker>> &workers, int timeoutMs)
{
    for (const auto &w : workers) {
        if (w)
            w->cancel();
    }
    QDeadlineTimer deadline(timeoutMs);
    for (const auto &w : workers) {
        while (w && !w->isFinished()) {
            // A worker may be waiting in a hand-over queued before the cancel.
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (w)
                w->wait(5);
            if (deadline.hasExpired())
                return false;
        }
    }
    return true;
}

} // namespace naxo
