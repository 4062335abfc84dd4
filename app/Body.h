#pragma once

#include "dsp/ChannelRef.h"
#include "dsp/VexDAs.h"
#include "ui_Body.h"
#include "zephra/AMsg.h"

#include <QColor>
#include <QFrame>
#include <QVector>

class Zephra;

// The main window and main controller: owns every subsystem and wires them in a fixed order.
class Body : public QFrame
{
    Q_OBJECT
public:
    explicit Body(QWidget* parent = nullptr);
    ~Body() override;

    const VexDAs& dspGroup() const { return vexDAs; }
    const QVector<ChannelRef>& channelList() const { return channels; }

signals:
    void log(const QString& msg, const QColor& c = QColor(0, 0, 0));

public slots:
    void anyAsk(AMsg msg);

private:
    void setUpZephra();
    void setUpDspGroup();

    Ui_Body ui;
    QColor alertColor;
    QColor rcvLogColor;
    Zephra* zephra = nullptr;
    QString dataLinkIp;
    int dataLinkPort = 0;
    VexDAs vexDAs;
    QVector<ChannelRef> channels;
    int normalizeType = 2;
};
