#include "ftpclient.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace naxo {

namespace {

size_t readFile(char *buffer, size_t size, size_t n, void *file)
{
    const qint64 got = static_cast<QFile *>(file)->read(buffer, qint64(size * n));
    return got < 0 ? CURL_READFUNC_ABORT : size_t(got);
}

// A modest send buffer: "Upload 100%" then means the bytes have nearly all
// reached the device, and the wait for its confirmation stays short.
int limitSendBuffer(void *, curl_socket_t socket, curlsocktype purpose)
{
    if (purpose == CURLSOCKTYPE_IPCXN) {
        const int size = 64 * 1024;
        setsockopt(socket, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char *>(&size), sizeof size);
    }
    return CURL_SOCKOPT_OK;
}

} // namespace

bool FtpClient::upload(const QString &localFile, const QString &host, quint16 port, const QString &remoteDir,
                       const QString &remoteFile, TransferError *error)
{
    QFile file(localFile);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = {TransferError::LocalFile, 0, file.errorString()};
        return false;
    }
    // "%2F" keeps the folder absolute; with SINGLECWD libcurl sends "CWD /update".
    QString dir = remoteDir;
    if (dir.startsWith(u'/'))
        dir = QStringLiteral("%2F") + dir.mid(1);
    const QString url = QStringLiteral("ftp://%1:%2/%3/%4").arg(host).arg(port).arg(dir, remoteFile);
    prepare(url);
    CURL *h = handle();
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_READFUNCTION, &readFile);
    curl_easy_setopt(h, CURLOPT_READDATA, &file);
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, curl_off_t(file.size()));
    curl_easy_setopt(h, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_SINGLECWD));
    curl_easy_setopt(h, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_NONE));
    curl_easy_setopt(h, CURLOPT_SOCKOPTFUNCTION, &limitSendBuffer);
    const CURLcode code = curl_easy_perform(h);
    if (error)
        *error = classify(code);
    return code == CURLE_OK;
}

} // namespace naxo
