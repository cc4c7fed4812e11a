#include "httpserver.h"

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

namespace lab {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

HttpExchange::HttpExchange(QTcpSocket *socket) : QObject(socket), m_socket(socket)
{
    peer = socket->peerAddress();
    connect(socket, &QTcpSocket::readyRead, this, &HttpExchange::onData);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

void HttpExchange::onData()
{
    m_buffer += m_socket->readAll();
    if (!m_headersDone) {
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> lines = m_buffer.left(end).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        method = requestLine.value(0);
        const QByteArray target = requestLine.value(1);
        const qsizetype q = target.indexOf('?');
        path = q < 0 ? target : target.left(q);
        query = q < 0 ? QByteArray() : target.mid(q + 1);
        for (const QByteArray &line : lines.mid(1)) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().toLower() == "content-length")
                m_contentLength = line.mid(colon + 1).trimmed().toLongLong();
        }
        m_buffer.remove(0, end + 4);
        m_headersDone = true;
    }
    if (m_buffer.size() < m_contentLength)
        return;
    body = m_buffer.left(m_contentLength);
    disconnect(m_socket, &QTcpSocket::readyRead, this, &HttpExchange::onData);
    emit ready();
}

void HttpExchange::respond(int status, const QByteArray &contentType, const QByteArray &content)
{
    if (!m_socket)
        return;
    m_socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status)
                    + "\r\nContent-Type: " + contentType + "\r\nContent-Length: "
                    + QByteArray::number(content.size()) + "\r\nConnection: close\r\n\r\n" + content);
    end();
}

void HttpExchange::beginStream(int status, const QByteArray &contentType)
{
    if (m_socket)
        m_socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status)
                        + "\r\nContent-Type: " + contentType + "\r\nConnection: close\r\n\r\n");
}

void HttpExchange::write(const QByteArray &piece)
{
    if (m_socket) {
        m_socket->write(piece);
        m_socket->flush();
    }
}

void HttpExchange::end()
{
    if (m_socket)
        m_socket->disconnectFromHost();
}

void HttpExchange::abort()
{
    if (!m_socket)
        return;
    m_socket->flush();
#ifdef Q_OS_UNIX
    // Linger 0: the peer sees a reset, as when a device drops the line.
    const linger hard{1, 0};
    setsockopt(int(m_socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
#endif
    m_socket->abort();
}

bool HttpExchange::connected() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

HttpServer::HttpServer(Handler handler, QObject *parent) : QObject(parent), m_handler(std::move(handler))
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *s = m_server.nextPendingConnection()) {
            auto *exchange = new HttpExchange(s);
            connect(exchange, &HttpExchange::ready, this, [this, exchange] { m_handler(exchange); });
        }
    });
}

bool HttpServer::listen(const QHostAddress &address, quint16 port)
{
    return m_server.listen(address, port);
}

} // namespace lab
