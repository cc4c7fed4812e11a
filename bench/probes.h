#pragma once

#include <QElapsedTimer>
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
