#pragma once

#include <QString>
#include <atomic>
#include <curl/curl.h>
#include <functional>

namespace naxo {

// Why a transfer failed, as a worker reports it.
struct TransferError {
    enum Kind { None, NoConnection, Timeout, HttpStatus, Refused, Transfer, LocalFile, SizeMismatch, Cancelled };
    Kind kind = None;
    long httpStatus = 0;
    QString detail; // libcurl's own text, for diagnostics

    // Short reason for a row or label: "timeout", "no connection", "HTTP 500", ...
    QString reason() const;
};

// How a time-out bounds a transfer.
enum class TimeoutKind {
    WholeOperation, // the whole exchange must end within the time
    Inactivity,     // connecting, and then any stretch without data, within the time
};

// One libcurl easy handle with what every transfer of ours shares: no proxy,
// optional local address, time-outs, progress and cancel, and the
// "connection made" notification. Used on one thread only.
class CurlSession {
public:
    CurlSession();
    CurlSession(const CurlSession &) = delete;
    CurlSession &operator=(const CurlSession &) = delete;
    virtual ~CurlSession();

    void setLocalAddress(const QString &address) { m_localAddress = address; }
    void setTimeout(int seconds, TimeoutKind kind) { m_timeoutSec = seconds; m_timeoutKind = kind; }
    // With Inactivity: how long the peer may take to answer a command (FTP),
    // when that may exceed the inactivity time-out. 0: the same time-out.
    void setResponseTimeout(int seconds) { m_responseTimeoutSec = seconds; }
    void setCancelFlag(const std::atomic_bool *flag) { m_cancel = flag; }

    // Percentage (0..100) of the current transfer, upload or download.
    std::function<void(int percent)> onProgress;

protected:
    // The connection to the peer is made (before the request goes out).
    virtual void connectionMade() {}
    CURL *handle() const { return m_curl; }
    // Resets the handle and applies the shared settings.
    void prepare(const QString &url);
    TransferError classify(CURLcode code) const;
    bool cancelled() const { return m_cancel && m_cancel->load(); }

private:
    static int xferInfo(void *self, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow);
    static int prereq(void *self, char *, char *, int, int);

    CURL *m_curl = nullptr;
    CURLU *m_url = nullptr;
    QString m_localAddress;
    QByteArray m_interface;
    int m_timeoutSec = 0;
    int m_responseTimeoutSec = 0;
    TimeoutKind m_timeoutKind = TimeoutKind::WholeOperation;
    const std::atomic_bool *m_cancel = nullptr;
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
};

// libcurl's process-wide set-up, done once before any thread uses it.
void initCurl();

} // namespace naxo
