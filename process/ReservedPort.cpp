#include "process/ReservedPort.h"

#include <QHostAddress>

ReservedPort::ReservedPort()
{
    socket.bind(QHostAddress(QHostAddress::LocalHost), 0, QAbstractSocket::ReuseAddressHint);
}
