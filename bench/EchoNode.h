#pragma once

#include <QObject>

class QTcpSocket;

// A client of the message server that answers every request at once with "Ok:" (or, for
// "Fill n", n characters): the bare message round trip a request to the program is compared with.
class EchoNode : public QObject
{
    Q_OBJECT
public:
    EchoNode(quint16 serverPort, const QByteArray& name, const QByteArray& key);
    void start();

signals:
    void loggedIn();

private:
    void readLines();

    QTcpSocket* socket;
    quint16 serverPort;
    QByteArray name;
    QByteArray key;
    bool challenged = false;
};
