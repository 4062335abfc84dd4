// The server connection: bytes in chunks of any size, split into lines, decoded and parsed
// into messages whose parameters the request handlers read.
#include "FuzzSupport.h"

#include "config/ConfigText.h"
#include "requests/RequestText.h"
#include "zephra/AMsg.h"
#include "zephra/CommandTable.h"
#include "zephra/LineBuffer.h"
#include "zephra/ZephraWire.h"

#include <QVector>

namespace {

// What LineBuffer must hand out: every complete line no longer than its cap, in order.
QVector<QByteArray> expectedLines(const QByteArray& stream, int* dropped)
{
    QVector<QByteArray> lines;
    for (int from = 0, end; (end = stream.indexOf('\n', from)) >= 0; from = end + 1) {
        if (end - from > LineBuffer::maxLineBytes)
            ++*dropped;
        else
            lines << stream.mid(from, end + 1 - from);
    }
    return lines;
}

void parseLine(const QByteArray& raw, const CommandTable& commands)
{
    const QString line = ZephraWire::decode(raw);
    FUZZ_CHECK(clipForLog(line).size() <= logTextLimit + 40);
    const int key = ZephraWire::keyIndex(ZephraWire::challengeNumber(line), 3);
    FUZZ_CHECK(key >= 0 && key < 3);

    AMsg msg;
    if (!msg.parse(line)) return;
    FUZZ_CHECK(!msg.cmd.isEmpty() || msg.type != AMsg::Ask);
    FUZZ_CHECK(msg.param == msg.params.value(0));
    commands.idOf(msg.cmd);
    commands.helpText(msg.params);
    for (const QString& p : msg.params) {
        const int preset = presetTypeFromText(p);
        FUZZ_CHECK(preset >= 0 && preset <= 2);
        const int normalize = normalizeTypeFromText(p, 7);
        FUZZ_CHECK(normalize == 7 || (normalize >= 0 && normalize <= 2));
        registerValueFromText(p);
        roiBoundFromText(p);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::installMessageCheck();
    return 0;
}

// Input: one byte giving the chunk size (0: the whole stream at once), then the stream.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CommandTable commands;
    if (commands.rows().isEmpty())
        for (const Command& c : CommandTable::tavikCommands())
            commands.addCommand(c.id, c.name, c.help);

    Fuzz::Input input(data, size);
    const int chunk = int(input.take(1));
    const QByteArray stream = input.rest();

    LineBuffer buffer;
    QVector<QByteArray> taken;
    int dropped = 0;
    const int step = chunk == 0 ? qMax(1, stream.size()) : chunk;
    for (int at = 0; at < stream.size(); at += step) {
        buffer.append(stream.mid(at, step));
        dropped += buffer.takeDroppedLines();
        QByteArray line;
        while (buffer.takeLine(line)) {
            FUZZ_CHECK(line.endsWith('\n'));
            taken << line;
            parseLine(line, commands);
        }
        dropped += buffer.takeDroppedLines();
    }
    int expectedDropped = 0;
    FUZZ_CHECK(taken == expectedLines(stream, &expectedDropped));
    FUZZ_CHECK(dropped == expectedDropped);
    return 0;
}
