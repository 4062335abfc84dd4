#include "DataLinkConsumer.h"

#include "config/ConfigStore.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

bool readReply(const QString& text, ConsumerOptions& o)
{
    static const QStringList names{"ack", "nack", "none", "split", "garbage"};
    if (text.startsWith("text=")) {
        o.reply = ConsumerOptions::Text;
        o.replyText = text.mid(5).toLatin1();
        return true;
    }
    const int i = names.indexOf(text);
    if (i >= 0) o.reply = ConsumerOptions::Reply(i);
    return i >= 0;
}

int number(const QCommandLineParser& p, const QString& name, bool* ok)
{
    bool good = false;
    const int n = p.value(name).toInt(&good);
    *ok = *ok && good && n >= 0;
    return n;
}

} // namespace

// The data-link consumer as a program: transfer lines on standard output, faults on error.
int main(int argc, char* argv[])
{
    // The plots are drawn into files: no display needed.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("datalink-consumer");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Connects to Tavik's data link, reads every transfer of spectrum blocks, checks each block\n"
        "(16432 bytes, 4096 bins, channel 0-3, finite non-negative times), replies, and saves a\n"
        "transfer that passes into the output folder: a CSV file, a PNG plot, an N42 document and\n"
        "one SPE file per element (--formats chooses). One line per transfer: on standard output\n"
        "when it passed, on standard error when it failed (nothing saved); connection trouble on\n"
        "standard error too.\n"
        "Exit code: 0 done, 1 bad option or no link, 2 a check failed, 3 time over before the\n"
        "number of transfers arrived.");
    parser.addHelpOption();
    parser.addOptions({
        {"host", "Host of Tavik's data link (default 127.0.0.1).", "host", "127.0.0.1"},
        {"port", "Its port (default 6058).", "port", "6058"},
        {"blocks", "Blocks per transfer; 0 (default): a transfer is what arrives before a pause.", "n", "0"},
        {"pause", "The pause in milliseconds that ends a transfer (default 300).", "ms", "300"},
        {"out", "Output folder for the CSV and PNG files (default: current folder).", "dir", "."},
        {"no-save", "Save nothing."},
        {"formats", "Files written of each transfer: any of csv, png, n42, spe (default: all four).", "list",
         "csv,png,n42,spe"},
        {"config", "Configuration file whose VEXDA lines name the units in the N42 and SPE files.", "file"},
        {"transfers", "End after this many transfers (default 0: no limit).", "n", "0"},
        {"time-limit", "End after this many milliseconds (default 0: no limit).", "ms", "0"},
        {"once", "End when the link closes instead of connecting again."},
        {"reply",
         "Reply: ack (default), nack, none, split (\"Ac\", then \"k\"), garbage (bytes before \"Ack\") "
         "or text=BYTES.",
         "mode", "ack"},
        {"times", "Use the reply for the first n transfers only, then ack (default: all).", "n", "-1"},
    });
    parser.process(app);

    QTextStream err(stderr);
    QTextStream out(stdout);
    ConsumerOptions o;
    bool ok = true;
    const int port = number(parser, "port", &ok);
    o.blocks = number(parser, "blocks", &ok);
    o.pauseMs = number(parser, "pause", &ok);
    o.transfers = number(parser, "transfers", &ok);
    o.timeLimitMs = number(parser, "time-limit", &ok);
    o.replyTimes = parser.value("times").toInt();
    if (!ok || port < 1 || port > 65535 || o.blocks > DataLinkConsumer::maxBlocks || o.pauseMs < 1 ||
        !readReply(parser.value("reply"), o)) {
        err << "datalink-consumer: bad option value (see --help)" << Qt::endl;
        return DataLinkConsumer::Failed;
    }
    QString formatError;
    if (!SpectrumFormats::parse(parser.value("formats"), &o.formats, &formatError)) {
        err << "datalink-consumer: --formats: " << formatError << Qt::endl;
        return DataLinkConsumer::Failed;
    }
    if (parser.isSet("config")) {
        if (!QFileInfo(parser.value("config")).isReadable()) {
            err << "datalink-consumer: cannot read " << parser.value("config") << Qt::endl;
            return DataLinkConsumer::Failed;
        }
        ConfigStore config;
        config.readFile(parser.value("config"));
        o.vexda = config.allRests("VEXDA");
    }
    o.host = parser.value("host");
    o.port = quint16(port);
    o.reconnect = !parser.isSet("once");
    if (!parser.isSet("no-save")) {
        o.outDir = parser.value("out");
        if (!QDir().mkpath(o.outDir)) {
            err << "datalink-consumer: cannot make " << o.outDir << Qt::endl;
            return DataLinkConsumer::Failed;
        }
    }

    DataLinkConsumer consumer(o);
    QObject::connect(&consumer, &DataLinkConsumer::report,
                     [&out](const QString& line) { out << line << Qt::endl; });
    QObject::connect(&consumer, &DataLinkConsumer::problem,
                     [&err](const QString& text) { err << "datalink-consumer: " << text << Qt::endl; });
    QObject::connect(&consumer, &DataLinkConsumer::finished, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    consumer.start();
    return app.exec();
}
