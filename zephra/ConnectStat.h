#pragma once

#include <QObject>

class QLabel;
class QPushButton;

// The connection state of the server client, shown on its status label and Connect button.
// Retrying: the connection was lost or could not be made, and the client waits to try again;
// the button then stops it.
class ConnectStat : public QObject
{
    Q_OBJECT
public:
    enum State { Disconnected = 0, Connecting = 1, Connected = 2, Retrying = 3 };

    explicit ConnectStat(QObject* parent = nullptr);

    void setWidgets(QLabel* label, QPushButton* button);
    void setState(int state);
    int currentState() const { return state; }

Q_SIGNALS:
    void askConnect();
    void askDisconnect();

private Q_SLOTS:
    void connectBClicked();

private:
    QLabel* label = nullptr;
    QPushButton* button = nullptr;
    int state = Disconnected;
};
