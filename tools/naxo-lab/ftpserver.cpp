#include "ftpserver.h"
#include "eventlog.h"

#include <QCryptographicHash>
#include <QJsonObject>

namespace lab {

// One control connection and its passive data connections.
class FtpSession : public QObject {
public:
    FtpSession(FtpServer *server, QTcpSocket *control)
        : QObject(control), m_server(server), m_control(control)
    {
        connect(control, &QTcpSocket::readyRead, this, &FtpSession::onCommand);
        connect(control, &QTcpSocket::disconnected, control, &QObject::deleteLater);
        connect(&m_pump, &QTimer::timeout, this, &FtpSession::pump);
        reply("220 NAXO FTP server ready");
    }

private:
    void reply(const QByteArray &line)
    {
        if (m_control)
            m_control->write(line + "\r\n");
    }

    void log(QJsonObject e)
    {
        e.insert(QStringLiteral("device"), m_server->m_deviceId);
        m_server->m_log->add(e);
    }

    QString resolve(const QString &arg) const
    {
        QString p = arg.startsWith(u'/') ? arg : (m_cwd == u'/' ? QString() : m_cwd) + u'/' + arg;
        while (p.size() > 1 && p.endsWith(u'/'))
            p.chop(1);
        return p;
    }

    void onCommand()
    {
        m_lineBuffer += m_control->readAll();
        qsizetype nl;
        while ((nl = m_lineBuffer.indexOf('\n')) >= 0) {
            const QByteArray line = m_lineBuffer.left(nl).trimmed();
            m_lineBuffer.remove(0, nl + 1);
            handle(line);
        }
    }

    void handle(const QByteArray &line)
    {
        const qsizetype sp = line.indexOf(' ');
        const QByteArray cmd = (sp < 0 ? line : line.left(sp)).toUpper();
        const QString arg = sp < 0 ? QString() : QString::fromUtf8(line.mid(sp + 1));
        const DeviceConfig &cfg = m_server->m_config;
        if (cmd == "USER") {
            m_user = arg;
            reply("331 Password required");
        } else if (cmd == "PASS") {
            log({{QStringLiteral("event"), QStringLiteral("ftp_login")}, {QStringLiteral("user"), m_user},
                 {QStringLiteral("accepted"), !cfg.ftpRefuse}});
            if (cfg.ftpRefuse) {
                reply("530 Login incorrect");
                return;
            }
            m_loggedIn = true;
            reply("230 Logged in");
        } else if (!m_loggedIn && cmd != "QUIT" && cmd != "FEAT" && cmd != "SYST") {
            reply("530 Please log in");
        } else if (cmd == "SYST") {
            reply("215 UNIX Type: L8");
        } else if (cmd == "FEAT") {
            reply("211-Features:\r\n EPSV\r\n PASV\r\n SIZE\r\n211 End");
        } else if (cmd == "PWD") {
            reply("257 \"" + m_cwd.toUtf8() + "\" is the current directory");
        } else if (cmd == "CWD") {
            const QString p = resolve(arg);
            if (p == QLatin1String("/") || p == QLatin1String("/update")) {
                m_cwd = p;
                reply("250 Directory changed");
            } else {
                reply("550 No such directory");
            }
        } else if (cmd == "TYPE") {
            m_binary = arg.toUpper().startsWith(u'I');
            reply("200 Type set");
        } else if (cmd == "PASV" || cmd == "EPSV") {
            openPassive(cmd == "EPSV");
        } else if (cmd == "STOR") {
            const QString p = resolve(arg);
            if (!p.startsWith(QLatin1String("/update/"))) {
                reply("553 Not allowed");
                return;
            }
            startTransfer(p, true);
        } else if (cmd == "RETR") {
            const QString p = resolve(arg);
            if (!m_server->m_files.contains(p)) {
                reply("550 No such file");
                return;
            }
            startTransfer(p, false);
        } else if (cmd == "LIST" || cmd == "NLST") {
            startTransfer(QString(), false, true);
        } else if (cmd == "SIZE") {
            const QString p = resolve(arg);
            if (m_server->m_files.contains(p))
                reply("213 " + QByteArray::number(m_server->m_files.value(p).size()));
            else
                reply("550 No such file");
        } else if (cmd == "DELE") {
            reply(m_server->m_files.remove(resolve(arg)) ? "250 Deleted" : "550 No such file");
        } else if (cmd == "NOOP" || cmd == "OPTS" || cmd == "MODE" || cmd == "STRU") {
            reply("200 OK");
        } else if (cmd == "QUIT") {
            reply("221 Bye");
            m_control->disconnectFromHost();
        } else {
            reply("502 Command not implemented");
        }
    }

    void openPassive(bool extended)
    {
        if (m_passive)
            m_passive->deleteLater();
        m_passive = new QTcpServer(this);
        const QHostAddress local = m_control->localAddress();
        if (!m_passive->listen(local, 0)) {
            reply("425 Cannot open data connection");
            return;
        }
        connect(m_passive, &QTcpServer::newConnection, this, [this] {
            m_data = m_passive->nextPendingConnection();
            if (!m_data)
                return;
            m_data->setParent(this);
            connect(m_data, &QTcpSocket::disconnected, m_data, &QObject::deleteLater);
            m_passive->close();
            if (m_pending)
                beginData();
        });
        const quint16 port = m_passive->serverPort();
        if (extended) {
            reply("229 Entering Extended Passive Mode (|||" + QByteArray::number(port) + "|)");
        } else {
            const quint32 a = local.toIPv4Address();
            reply(QStringLiteral("227 Entering Passive Mode (%1,%2,%3,%4,%5,%6)")
                      .arg(a >> 24).arg(a >> 16 & 0xFF).arg(a >> 8 & 0xFF).arg(a & 0xFF)
                      .arg(port >> 8).arg(port & 0xFF).toLatin1());
        }
    }

    void startTransfer(const QString &path, bool upload, bool listing = false)
    {
        if (!m_passive) {
            reply("425 Use PASV or EPSV first");
            return;
        }
        m_path = path;
        m_upload = upload;
        m_listing = listing;
        m_pending = true;
        m_received.clear();
        reply("150 Opening data connection");
        if (m_data)
            beginData();
    }

    void beginData()
    {
        m_pending = false;
        QTcpSocket *data = m_data;
        if (!m_upload) {
            QByteArray out;
            if (m_listing) {
                for (auto it = m_server->m_files.cbegin(); it != m_server->m_files.cend(); ++it)
                    out += it.key().section(u'/', -1).toUtf8() + "\r\n";
            } else {
                out = m_server->m_files.value(m_path);
            }
            data->write(out);
            data->disconnectFromHost();
            finishData(true);
            return;
        }
        data->setReadBufferSize(64 * 1024);
        const DeviceConfig &cfg = m_server->m_config;
        if (cfg.ftpStallAfter >= 0) {
            // Small buffers, so the client feels the stalled reader at once.
            data->setReadBufferSize(4096);
            data->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
        } else if (cfg.ftpBytesPerSec > 0) {
            // Buffers for a quarter second of data: the rate, not the window,
            // limits, and the client cannot park the image in our kernel.
            const int quarter = std::max(16384, cfg.ftpBytesPerSec / 4);
            data->setReadBufferSize(quarter);
            data->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, quarter);
        }
        if (cfg.ftpBytesPerSec <= 0) // a slow device reads on its own clock only
            connect(data, &QTcpSocket::readyRead, this, &FtpSession::pump);
        connect(data, &QTcpSocket::disconnected, this, [this] {
            if (m_stallLogged && !m_done) {
                m_done = true; // the client gave up: nothing is stored
                m_pump.stop();
                reply("426 Transfer aborted");
                return;
            }
            if (m_data && !m_done)
                m_received += m_data->readAll();
            if (m_upload && !m_done)
                completeUpload();
        });
        if (m_server->m_config.ftpBytesPerSec > 0)
            m_pump.start(20);
        pump();
    }

    // Reads what the knobs allow: everything, a rate, or nothing after K bytes.
    void pump()
    {
        if (!m_data || m_done)
            return;
        const DeviceConfig &cfg = m_server->m_config;
        if (cfg.ftpStallAfter >= 0 && m_received.size() >= cfg.ftpStallAfter) {
            if (!m_stallLogged) {
                m_stallLogged = true;
                log({{QStringLiteral("event"), QStringLiteral("ftp_stall")},
                     {QStringLiteral("bytes"), double(m_received.size())}});
            }
            return;
        }
        qint64 allowed = m_data->bytesAvailable();
        if (cfg.ftpBytesPerSec > 0)
            allowed = std::min<qint64>(allowed, std::max(1, cfg.ftpBytesPerSec / 50));
        if (cfg.ftpStallAfter >= 0)
            allowed = std::min<qint64>(allowed, cfg.ftpStallAfter - m_received.size());
        if (cfg.ftpDropAfter >= 0)
            allowed = std::min<qint64>(allowed, cfg.ftpDropAfter - m_received.size());
        m_received += m_data->read(allowed);
        if (cfg.ftpDropAfter >= 0 && m_received.size() >= cfg.ftpDropAfter) {
            m_done = true;
            log({{QStringLiteral("event"), QStringLiteral("ftp_drop")},
                 {QStringLiteral("bytes"), double(m_received.size())}});
            m_data->abort();
            reply("426 Connection closed; transfer aborted");
            m_control->disconnectFromHost();
        }
    }

    void completeUpload()
    {
        m_done = true;
        m_pump.stop();
        m_server->m_files.insert(m_path, m_received);
        log({{QStringLiteral("event"), QStringLiteral("ftp_stored")},
             {QStringLiteral("path"), m_path},
             {QStringLiteral("binary"), m_binary},
             {QStringLiteral("size"), double(m_received.size())},
             {QStringLiteral("sha256"),
              QString::fromLatin1(QCryptographicHash::hash(m_received, QCryptographicHash::Sha256).toHex())}});
        if (m_server->onStored)
            m_server->onStored(m_path, m_received);
        finishData(true);
    }

    void finishData(bool ok)
    {
        reply(ok ? "226 Transfer complete" : "451 Transfer failed");
        m_data = nullptr;
        if (m_passive)
            m_passive->deleteLater();
        m_passive = nullptr;
        m_done = false;
        m_stallLogged = false;
    }

    FtpServer *m_server;
    QPointer<QTcpSocket> m_control;
    QPointer<QTcpSocket> m_data;
    QTcpServer *m_passive = nullptr;
    QTimer m_pump;
    QByteArray m_lineBuffer, m_received;
    QString m_user, m_cwd = QStringLiteral("/"), m_path;
    bool m_loggedIn = false, m_binary = false, m_pending = false, m_upload = false,
         m_listing = false, m_done = false, m_stallLogged = false;
};

FtpServer::FtpServer(const DeviceConfig &config, const QString &deviceId, EventLog *log, QObject *parent)
    : QObject(parent), m_config(config), m_deviceId(deviceId), m_log(log)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *s = m_server.nextPendingConnection())
            new FtpSession(this, s);
    });
}

bool FtpServer::listen(const QHostAddress &address, quint16 port)
{
    return m_server.listen(address, port);
}

} // namespace lab
