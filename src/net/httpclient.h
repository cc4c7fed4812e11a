#pragma once

#include "curlsession.h"

#include <QByteArray>
#include <QString>

class QSaveFile;

namespace naxo {

// HTTP over libcurl. Every call blocks until the exchange has ended; an HTTP
// error status (400 and up) counts as a failure.
class HttpClient : public CurlSession {
public:
    // The reply body, piece by piece as it arrives.
    std::function<void(const QByteArray &piece)> onData;
    // A transfer has ended, whatever its outcome.
    std::function<void()> onEndTransfer;
    // "Remote host connection complete." / "Remote host disconnected.", with a
    // status code (0 or libcurl's) and a description ("OK" when no error).
    std::function<void(const QString &event, int code, const QString &description)> onConnectionStatus;

    // The body in memory, at most maxBody bytes (more is a failure).
    bool get(const QString &url, QByteArray *body, TransferError *error, qint64 maxBody = 1 << 20);
    // The body into path. The file under that name is replaced only when the
    // transfer succeeded (and, with expectedSize >= 0, has that size); a failed
    // or short download never leaves a half file there.
    bool getToFile(const QString &url, const QString &path, qint64 expectedSize, TransferError *error);
    // POST of body; the reply goes to onData.
    bool post(const QString &url, const QByteArray &body, TransferError *error);

private:
    void connectionMade() override;
    bool perform(TransferError *error);
    static size_t write(char *data, size_t size, size_t n, void *self);

    QByteArray *m_body = nullptr;
    qint64 m_maxBody = 0;
    QSaveFile *m_file = nullptr;
    bool m_connected = false;
};

// "http://" + address + path, with ":port" when it is not 80.
QString deviceUrl(const QString &address, quint16 port, const char *path);

} // namespace naxo
