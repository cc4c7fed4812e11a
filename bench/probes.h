#pragma once

#include <QElapsedTimer>
#include <cstdio>
#include <QFile>
#include <QTimer>
#include <sys/resource.h>

// Measures how late the UI thread's event loop runs a 1 ms timer: the
// longest gap between two firings, less the interval, is the longest stall.
class StallProbe {
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            rusage t{};
            getrusage(RUSAGE_THREAD, &t);
            const double cpu = t.ru_utime.tv_sec * 1e3 + t.ru_utime.tv_usec / 1e3 + t.ru_stime.tv_sec * 1e3 + t.ru_stime.tv_usec / 1e3;
            if (m_last >= 0 && now - m_last > 8000000 && qEnvironmentVariableIsSet("NAXO_BENCH_GAPS"))
                fprintf(stderr, "gap %.1f ms at %.1f ms, UI thread busy %.1f ms of it\n", (now - m_last) / 1e6, now / 1e6, cpu - m_lastCpu);
            m_lastCpu = cpu;
            if (m_last >= 0)
                m_maxGapNs = std::max(m_maxGapNs, now - m_last);
            m_last = now;
        });
    }
    void start()
    {
        m_maxGapNs = 0;
        m_last = -1;
        m_clock.start();
        m_timer.start();
    }
    double stop()
    {
        m_timer.stop();
        return std::max(0.0, m_maxGapNs / 1e6 - 1.0);
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = -1;
    double m_lastCpu = 0;
    qint64 m_maxGapNs = 0;
};

inline double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

// "VmRSS" or "VmHWM" of this process, in MB.
inline double memoryMb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field) + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

#include <QEventLoop>
#include <functional>

// Waits in a real event loop (QTest's waits sleep between passes, which a
// stall probe would count as stalls). True when pred held in time.
inline bool waitUntil(const std::function<bool()> &pred, int timeoutMs)
{
    if (pred())
        return true;
    QEventLoop loop;
    QTimer poll, deadline;
    bool ok = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (pred()) {
            ok = true;
            loop.quit();
        }
    });
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(2);
    deadline.setSingleShot(true);
    deadline.start(timeoutMs);
    loop.exec();
    return ok;
}

inline void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
