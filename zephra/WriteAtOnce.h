#pragma once

class QByteArray;
class QTcpSocket;

// Writes the bytes to the connection now, not when the event loop next turns.
void writeAtOnce(QTcpSocket& socket, const QByteArray& bytes);
