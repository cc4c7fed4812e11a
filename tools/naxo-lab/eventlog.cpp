#include "eventlog.h"

#include <QDateTime>
#include <QJsonDocument>

namespace lab {

bool EventLog::openFile(const QString &path)
{
    m_file.setFileName(path);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
}

void EventLog::add(QJsonObject event)
{
    event.insert(QStringLiteral("t"), QDateTime::currentMSecsSinceEpoch());
    QMutexLocker lock(&m_mutex);
    if (m_file.isOpen())
        m_file.write(QJsonDocument(event).toJson(QJsonDocument::Compact) + '\n');
    m_events.append(std::move(event));
}

QList<QJsonObject> EventLog::events() const
{
    QMutexLocker lock(&m_mutex);
    return m_events;
}

QList<QJsonObject> EventLog::events(const QString &kind) const
{
    QMutexLocker lock(&m_mutex);
    QList<QJsonObject> out;
    for (const auto &e : m_events) {
        if (e.value(QStringLiteral("event")).toString() == kind)
            out.append(e);
    }
    return out;
}

void EventLog::clear()
{
    QMutexLocker lock(&m_mutex);
    m_events.clear();
}

} // namespace lab
