#include "httpclient.h"

#include <QSaveFile>

namespace naxo {

QString deviceUrl(const QString &address, quint16 port, const char *path)
{
    QString url = QStringLiteral("http://") + address;
    if (port != 80)
        url += u':' + QString::number(port);
    return url + QString::fromLatin1(path);
}

size_t HttpClient::write(char *data, size_t size, size_t n, void *p)
{
    auto *self = static_cast<HttpClient *>(p);
    const size_t bytes = size * n;
    if (self->m_body) {
        if (self->m_body->size() + qint64(bytes) > self->m_maxBody)
            return 0;
        self->m_body->append(data, qsizetype(bytes));
    }
    if (self->m_file && self->m_file->write(data, qint64(bytes)) != qint64(bytes))
        return 0;
    if (self->onData)
        self->onData(QByteArray(data, qsizetype(bytes)));
    return bytes;
}

void HttpClient::connectionMade()
{
    if (m_connected)
        return; // one notification per request, also when libcurl reconnects
    m_connected = true;
    if (onConnectionStatus)
        onConnectionStatus(QStringLiteral("Remote host connection complete."), 0, QStringLiteral("OK"));
}

bool HttpClient::perform(TransferError *error)
{
    CURL *h = handle();
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &HttpClient::write);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    m_connected = false;
    const CURLcode code = curl_easy_perform(h);
    TransferError e = classify(code);
    if (m_connected && onConnectionStatus && e.kind != TransferError::Cancelled) {
        onConnectionStatus(QStringLiteral("Remote host disconnected."), int(code),
                           code == CURLE_OK ? QStringLiteral("OK") : e.detail);
    }
    if (onEndTransfer)
        onEndTransfer();
    if (error)
        *error = e;
    return code == CURLE_OK;
}

bool HttpClient::get(const QString &url, QByteArray *body, TransferError *error, qint64 maxBody)
{
    prepare(url);
    body->clear();
    m_body = body;
    m_maxBody = maxBody;
    const bool ok = perform(error);
    m_body = nullptr;
    return ok;
}

bool HttpClient::getToFile(const QString &url, const QString &path, qint64 expectedSize, TransferError *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = {TransferError::LocalFile, 0, file.errorString()};
        return false;
    }
    prepare(url);
    m_file = &file;
    bool ok = perform(error);
    m_file = nullptr;
    if (ok && expectedSize >= 0 && file.size() != expectedSize) {
        ok = false;
        if (error)
            *error = {TransferError::SizeMismatch, 0,
                      QStringLiteral("%1 bytes, expected %2").arg(file.size()).arg(expectedSize)};
    }
    if (!ok) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = {TransferError::LocalFile, 0, file.errorString()};
        return false;
    }
    return true;
}

bool HttpClient::post(const QString &url, const QByteArray &body, TransferError *error)
{
    prepare(url);
    CURL *h = handle();
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size()));
    curl_easy_setopt(h, CURLOPT_COPYPOSTFIELDS, body.constData());
    return perform(error);
}

} // namespace naxo
