#pragma once

#include <QPointer>
#include <QThread>
#include <atomic>
#include <functional>

namespace naxo {

// Base of the three worker threads. The creator connects its completion
// handler to finished() (queued to the UI thread) before start(), and
// deletes the worker (deleteLater) after the handler has run.
//
// A worker reaches the UI only through handOver(), which runs a step on the
// UI thread and waits for it. Once cancelled, a worker makes no hand-over and
// its transfers abort at libcurl's next progress call, so a closing window
// can join it without deadlock and is never called back after it is gone.
class TWorker : public QThread {
    Q_OBJECT
public:
    explicit TWorker(QObject *ui, QObject *parent = nullptr);
    void cancel() { m_cancel.store(true); }
    bool isCancelled() const { return m_cancel.load(); }

protected:
    bool handOver(const std::function<void()> &step);
    const std::atomic_bool *cancelFlag() const { return &m_cancel; }

private:
    QPointer<QObject> m_ui;
    std::atomic_bool m_cancel{false};
};

// Cancels every worker, then waits up to timeoutMs for all of them, running
// the UI thread's pending hand-overs meanwhile. Returns whether all ended.
bool cancelAndJoin(const QList<QPointer<TWorker>> &workers, int timeoutMs);

} // namespace naxo
