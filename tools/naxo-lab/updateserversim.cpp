#include "updateserversim.h"
#include "eventlog.h"

#include <QJsonObject>
#include <QTcpServer>
#include <QUrl>

namespace lab {

UpdateServerSim::UpdateServerSim(const ServerConfig &config, EventLog *log, QObject *parent)
    : QObject(parent), m_config(config), m_log(log), m_http([this](HttpExchange *x) { onHttp(x); })
{
    m_image = firmwareImage(m_config);
    m_catalogue = catalogueFile(m_config, m_image);
}

bool UpdateServerSim::start(const QHostAddress &address, quint16 port)
{
    if (m_config.unreachable) {
        // Find a port nobody listens on, so connections are refused.
        QTcpServer probe;
        if (!probe.listen(address, port))
            return false;
        m_port = probe.serverPort();
        return true;
    }
    if (!m_http.listen(address, port))
        return false;
    m_port = m_http.port();
    return true;
}

void UpdateServerSim::onHttp(HttpExchange *x)
{
    const QString folder = QStringLiteral("/QW58-Remote-Updater/NAXO_Firmware/");
    const QString path = QUrl::fromPercentEncoding(x->path);
    int status = 404;
    QByteArray body = "not found";
    if (x->method == "GET" && path == folder + QStringLiteral("NAXOInfo")) {
        status = 200;
        body = m_catalogue;
    } else if (x->method == "GET" && path == folder + m_config.fileName && !m_config.missingFile) {
        status = 200;
        body = m_image;
    }
    m_log->add({{QStringLiteral("event"), QStringLiteral("http")},
                {QStringLiteral("device"), QStringLiteral("server")},
                {QStringLiteral("method"), QString::fromLatin1(x->method)},
                {QStringLiteral("path"), path},
                {QStringLiteral("rawPath"), QString::fromLatin1(x->path)},
                {QStringLiteral("status"), status}});
    x->respond(status, "application/octet-stream", body);
}

} // namespace lab
