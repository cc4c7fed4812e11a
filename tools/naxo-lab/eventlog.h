#pragma once

#include <QFile>
#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QString>

namespace lab {

// One JSON line per thing a device or the server saw or did. Kept in memory
// for tests that use the lab as a library, and appended to a file (O_APPEND,
// one write per line) so several lab processes can share one log.
class EventLog {
public:
    bool openFile(const QString &path);
    void add(QJsonObject event);
    QList<QJsonObject> events() const;
    QList<QJsonObject> events(const QString &kind) const;
    void clear();

private:
    mutable QMutex m_mutex;
    QList<QJsonObject> m_events;
    QFile m_file;
};

} // namespace lab
