#pragma once

#include <QTcpSocket>

// A loopback TCP port taken by binding to port 0 and held as long as this object lives:
// nothing listens there, so a connection is refused, and no other socket bound to port 0
// gets it meanwhile. A server that is to listen there may do so while it is held (both
// sockets allow the address to be reused), so it never falls free in between.
class ReservedPort
{
public:
    ReservedPort();
    quint16 port() const { return socket.localPort(); } // 0 when none could be bound

private:
    QTcpSocket socket;
};
