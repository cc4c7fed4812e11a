#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>

namespace lab {

// One request on one connection; the lab always answers with
// "Connection: close", so a reply body may also be streamed until close.
class HttpExchange : public QObject {
    Q_OBJECT
public:
    explicit HttpExchange(QTcpSocket *socket);

    QByteArray method, path, query;
    QByteArray body;
    QHostAddress peer;

    void respond(int status, const QByteArray &contentType, const QByteArray &body);
    void beginStream(int status, const QByteArray &contentType);
    void write(const QByteArray &piece);
    void end();
    void abort();
    bool connected() const;

signals:
    void ready(); // the request is complete

private:
    void onData();
    QPointer<QTcpSocket> m_socket;
    QByteArray m_buffer;
    bool m_headersDone = false;
    qsizetype m_contentLength = 0;
};

class HttpServer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(HttpExchange *)>;
    explicit HttpServer(Handler handler, QObject *parent = nullptr);
    bool listen(const QHostAddress &address, quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    void close() { m_server.close(); }

private:
    QTcpServer m_server;
    Handler m_handler;
};

QByteArray reasonPhrase(int status);

} // namespace lab
