#include "ZephraClient.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

// The stand-in client as a program: received lines on standard output, the rest on error.
int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("zephra-client");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Logs in to a Zephra message server (or zephra-server) and sends requests to one node.\n"
        "The request is the text given on the command line; without it, each non-blank line of\n"
        "standard input is one request (read to its end before connecting). Each request goes\n"
        "out as \"name>to request\". Every line received after log-in is printed byte for byte.\n"
        "It ends once every request has an answer (a line whose body starts with @), or when\n"
        "the wait time is over. Exit code: 0 all answered (or nothing asked), 1 no connection,\n"
        "no key file or refused, 3 time over with requests unanswered.");
    parser.addHelpOption();
    QCommandLineOption hostOpt("host", "Server host (default 127.0.0.1).", "host", "127.0.0.1");
    QCommandLineOption portOpt("port", "Server port (default 6057).", "port", "6057");
    QCommandLineOption nameOpt("name", "Name to log in with (default ctrl1).", "name", "ctrl1");
    QCommandLineOption keysOpt("keys", "Key file, one key per line (default zephra.keys).", "file",
                               "zephra.keys");
    QCommandLineOption toOpt("to", "Addressee node, optionally with .sub (default Tavik).", "node", "Tavik");
    QCommandLineOption waitOpt("wait",
                               "Longest wait in milliseconds for the log-in, and then for the "
                               "answers (default 3000).",
                               "ms", "3000");
    QCommandLineOption scriptOpt("script",
                                 "One step at a time, each printed as it goes out (\"> request\"): every "
                                 "request waits for its answer before the next is sent, and a step "
                                 "\"wait TEXT\" waits for the event _TEXT (one that came since the last "
                                 "request counts). The wait time applies to each step.");
    parser.addOptions({hostOpt, portOpt, nameOpt, keysOpt, toOpt, waitOpt, scriptOpt});
    parser.addPositionalArgument("request", "The request, e.g. Hello or \"Help GetROI\".", "[request...]");
    parser.process(app);

    QTextStream err(stderr);
    ClientConfig config;
    bool ok = true;
    const uint port = parser.value(portOpt).toUInt(&ok);
    config.waitMs = ok ? parser.value(waitOpt).toInt(&ok) : 0;
    if (!ok || port == 0 || port > 65535 || config.waitMs <= 0) {
        err << "zephra-client: bad port or wait time" << Qt::endl;
        return 1;
    }
    config.host = parser.value(hostOpt);
    config.port = static_cast<quint16>(port);
    config.name = parser.value(nameOpt).toLatin1();
    config.keyFile = parser.value(keysOpt);
    config.to = parser.value(toOpt).toLatin1();
    config.script = parser.isSet(scriptOpt);
    if (!parser.positionalArguments().isEmpty()) {
        config.requests << parser.positionalArguments().join(' ').toUtf8();
    } else {
        QFile in;
        in.open(stdin, QIODevice::ReadOnly | QIODevice::Text);
        while (!in.atEnd()) {
            const QByteArray line = in.readLine().trimmed();
            if (!line.isEmpty()) config.requests << line;
        }
    }

    ZephraClient client(config);
    QFile out;
    out.open(stdout, QIODevice::WriteOnly);
    QObject::connect(&client, &ZephraClient::received, [&out](const QByteArray& line) {
        out.write(line + '\n'); // the bytes as they came, whatever their encoding
        out.flush();
    });
    QObject::connect(&client, &ZephraClient::sent, [&out](const QByteArray& body) {
        out.write("> " + body + '\n');
        out.flush();
    });
    QObject::connect(&client, &ZephraClient::status,
                     [&err](const QString& text) { err << "zephra-client: " << text << Qt::endl; });
    QObject::connect(&client, &ZephraClient::finished, &app, &QCoreApplication::exit, Qt::QueuedConnection);
    client.start();
    return app.exec();
}
