#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <memory>

// An HTTP server on 127.0.0.1 that answers every request with the same bytes
// the test chose, as they are (however broken). While `hold` is set, requests
// are read and kept unanswered until release() answers them all at once.
class RawHttpServer
{
public:
    RawHttpServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                auto buffer = std::make_shared<QByteArray>();
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                    *buffer += socket->readAll();
                    if (requestComplete(*buffer)) {
                        buffer->clear();
                        ++received;
                        if (hold)
                            m_held << socket;
                        else
                            answer(socket);
                    }
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    QUrl baseUrl() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort())); }

    // Sets the answer: an HTTP 200 with this body and content type.
    void setBody(const QByteArray &body, const QByteArray &contentType = "application/json")
    {
        response = "HTTP/1.1 200 OK\r\nContent-Type: " + contentType +
                   "\r\nContent-Length: " + QByteArray::number(body.size()) +
                   "\r\nConnection: close\r\n\r\n" + body;
    }

    int heldCount() const { return int(m_held.size()); }

    void release()
    {
        const QList<QPointer<QTcpSocket>> held = m_held;
        m_held.clear();
        for (const QPointer<QTcpSocket> &socket : held)
            if (socket)
                answer(socket);
    }

    QByteArray response;
    bool hold = false;
    int received = 0;

private:
    static bool requestComplete(const QByteArray &bytes)
    {
        const qsizetype end = bytes.indexOf("\r\n\r\n");
        if (end < 0)
            return false;
        qsizetype length = 0;
        for (const QByteArray &line : bytes.left(end).split('\n')) {
            const QByteArray l = line.trimmed().toLower();
            if (l.startsWith("content-length:"))
                length = l.mid(15).trimmed().toLongLong();
        }
        return bytes.size() >= end + 4 + length;
    }

    void answer(QTcpSocket *socket)
    {
        socket->write(response);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_held;
};
