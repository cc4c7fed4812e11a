#include "curlsession.h"

#include <algorithm>
#include <mutex>

namespace naxo {

void initCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

QString TransferError::reason() const
{
    switch (kind) {
    case None: return QStringLiteral("ok");
    case NoConnection: return QStringLiteral("no connection");
    case Timeout: return QStringLiteral("timeout");
    case HttpStatus: return QStringLiteral("HTTP %1").arg(httpStatus);
    case Refused: return QStringLiteral("refused");
    case Transfer: return QStringLiteral("connection lost");
    case LocalFile: return QStringLiteral("file not readable");
    case SizeMismatch: return QStringLiteral("wrong size");
    case Cancelled: return QStringLiteral("cancelled");
    }
    return QString();
}

CurlSession::CurlSession()
{
    initCurl();
    m_curl = curl_easy_init();
    m_url = curl_url();
}

CurlSession::~CurlSession()
{
    curl_easy_cleanup(m_curl);
    curl_url_cleanup(m_url);
}

void CurlSession::prepare(const QString &url)
{
    curl_easy_reset(m_curl);
    m_errorBuffer[0] = 0;
    // Spaces stay as the caller wrote them; libcurl sends them encoded.
    curl_url_set(m_url, CURLUPART_URL, url.toUtf8().constData(), CURLU_ALLOW_SPACE | CURLU_NON_SUPPORT_SCHEME);
    curl_easy_setopt(m_curl, CURLOPT_CURLU, m_url);
    curl_easy_setopt(m_curl, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_curl, CURLOPT_PROXY, ""); // devices and server are reached directly
    if (!m_localAddress.isEmpty()) {
        m_interface = "host!" + m_localAddress.toLatin1();
        curl_easy_setopt(m_curl, CURLOPT_INTERFACE, m_interface.constData());
    }
    if (m_timeoutSec > 0) {
        curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT, long(m_timeoutSec));
        if (m_timeoutKind == TimeoutKind::WholeOperation) {
            curl_easy_setopt(m_curl, CURLOPT_TIMEOUT, long(m_timeoutSec));
        } else {
            curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
            curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_TIME, long(m_timeoutSec));
            curl_easy_setopt(m_curl, CURLOPT_SERVER_RESPONSE_TIMEOUT,
                             long(std::max(m_timeoutSec, m_responseTimeoutSec)));
        }
    }
    curl_easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, &CurlSession::xferInfo);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(m_curl, CURLOPT_PREREQFUNCTION, &CurlSession::prereq);
    curl_easy_setopt(m_curl, CURLOPT_PREREQDATA, this);
}

int CurlSession::xferInfo(void *p, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow)
{
    auto *self = static_cast<CurlSession *>(p);
    if (self->cancelled())
        return 1; // aborts the transfer
    if (self->onProgress) {
        const curl_off_t total = ultotal > 0 ? ultotal : dltotal;
        const curl_off_t now = ultotal > 0 ? ulnow : dlnow;
        if (total > 0)
            self->onProgress(int(std::min<curl_off_t>(100, now * 100 / total)));
    }
    return 0;
}

int CurlSession::prereq(void *p, char *, char *, int, int)
{
    auto *self = static_cast<CurlSession *>(p);
    self->connectionMade();
    return self->cancelled() ? CURL_PREREQFUNC_ABORT : CURL_PREREQFUNC_OK;
}

TransferError CurlSession::classify(CURLcode code) const
{
    TransferError e;
    e.detail = QString::fromUtf8(m_errorBuffer[0] ? m_errorBuffer : curl_easy_strerror(code));
    switch (code) {
    case CURLE_OK: e.kind = TransferError::None; break;
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_INTERFACE_FAILED:
        e.kind = TransferError::NoConnection;
        break;
    case CURLE_OPERATION_TIMEDOUT: e.kind = TransferError::Timeout; break;
    case CURLE_HTTP_RETURNED_ERROR:
        e.kind = TransferError::HttpStatus;
        curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &e.httpStatus);
        break;
    case CURLE_LOGIN_DENIED:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_UPLOAD_FAILED:
    case CURLE_FTP_COULDNT_USE_REST:
        e.kind = TransferError::Refused;
        break;
    case CURLE_READ_ERROR:
    case CURLE_WRITE_ERROR:
        e.kind = cancelled() ? TransferError::Cancelled : TransferError::LocalFile;
        break;
    case CURLE_ABORTED_BY_CALLBACK: e.kind = TransferError::Cancelled; break;
    default: e.kind = TransferError::Transfer; break;
    }
    return e;
}

} // namespace naxo
