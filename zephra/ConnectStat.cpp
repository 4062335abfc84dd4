#include "zephra/ConnectStat.h"

#include "widgets/StyleSheets.h"

#include <QLabel>
#include <QPushButton>

ConnectStat::ConnectStat(QObject* parent) : QObject(parent) {}

void ConnectStat::setWidgets(QLabel* l, QPushButton* b)
{
    label = l;
    button = b;
    if (button) connect(button, &QPushButton::clicked, this, &ConnectStat::connectBClicked);
}

void ConnectStat::setState(int s)
{
    state = s;
    QString labelText, labelStyle, buttonText, buttonStyle;
    switch (state) {
    case Disconnected:
        labelText = tr("Disconnected");
        labelStyle = StyleSheets::grey;
        buttonText = tr("Connect");
        buttonStyle = "background-color: rgb(96, 255, 181);";
        break;
    case Connecting:
        labelText = tr("Connecting");
        labelStyle = StyleSheets::yellow;
        buttonText = tr("Connecting");
        buttonStyle = "background-color: rgb(240, 240, 240);";
        break;
    case Connected:
        labelText = tr("Connected");
        labelStyle = StyleSheets::green;
        buttonText = tr("Disconnect");
        buttonStyle = "background-color: rgb(255, 255, 128);";
        break;
    case Retrying:
        labelText = tr("Retrying");
        labelStyle = StyleSheets::pink;
        buttonText = tr("Disconnect");
        buttonStyle = "background-color: rgb(255, 255, 128);";
        break;
    default:
        return;
    }
    if (label) {
        label->setText(labelText);
        label->setStyleSheet(labelStyle);
    }
    if (button) {
        button->setText(buttonText);
        button->setStyleSheet(buttonStyle);
    }
}

void ConnectStat::connectBClicked()
{
    if (state != Disconnected)
        Q_EMIT askDisconnect();
    else
        Q_EMIT askConnect();
}
