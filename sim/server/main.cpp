#include "ZephraServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

// The stand-in message server as a program: prints "listening <address> <port>" first.
int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("zephra-server");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Stand-in for the Zephra message server, for trying Tavik and for tests.\n"
        "Each connection gets a challenge number n; its first line must be \"name key\" with\n"
        "key = line (n mod count) of the key file (counted from 0; the remainder is never\n"
        "negative). It is then answered \"System>name Ok: welcome\" and its lines \"from>to body\"\n"
        "are relayed to the client logged in as the node of `to`; lines to System go to every\n"
        "other client. Otherwise it gets \"System>name Er: <reason>\" and is closed.\n"
        "A request for an unknown node is answered \"System>from @cmd Er: Unknown node [node]\";\n"
        "answers and events for one are dropped. A taken name is refused to the newcomer.");
    parser.addHelpOption();
    QCommandLineOption portOpt("port", "TCP port to listen on; 0 picks a free one (default 6057).", "port",
                               "6057");
    QCommandLineOption keysOpt("keys", "Key file, one key per line (default zephra.keys).", "file",
                               "zephra.keys");
    QCommandLineOption listenOpt("listen", "Address to listen on (default 127.0.0.1; 0.0.0.0 for all).",
                                 "address", "127.0.0.1");
    QCommandLineOption challengeOpt("challenge",
                                    "Send this challenge to every client instead of a random one "
                                    "(may be negative, e.g. --challenge=-7).",
                                    "n");
    QCommandLineOption timeoutOpt("login-timeout",
                                  "Close a connection that sends no log-in line within this "
                                  "many milliseconds (default 10000).",
                                  "ms", "10000");
    QCommandLineOption verboseOpt({"v", "verbose"},
                                  "Log connections, log-ins and dropped lines to standard error.");
    parser.addOptions({portOpt, keysOpt, listenOpt, challengeOpt, timeoutOpt, verboseOpt});
    parser.process(app);

    QTextStream err(stderr);
    ServerConfig config;
    bool ok = true;
    const uint port = parser.value(portOpt).toUInt(&ok);
    if (!ok || port > 65535) {
        err << "zephra-server: bad port " << parser.value(portOpt) << Qt::endl;
        return 1;
    }
    config.port = static_cast<quint16>(port);
    if (!config.address.setAddress(parser.value(listenOpt))) {
        err << "zephra-server: bad address " << parser.value(listenOpt) << Qt::endl;
        return 1;
    }
    config.keyFile = parser.value(keysOpt);
    if (parser.isSet(challengeOpt)) {
        config.fixedChallenge = true;
        config.challenge = parser.value(challengeOpt).toInt(&ok);
        if (!ok) {
            err << "zephra-server: bad challenge " << parser.value(challengeOpt) << Qt::endl;
            return 1;
        }
    }
    config.loginTimeoutMs = parser.value(timeoutOpt).toInt(&ok);
    if (!ok || config.loginTimeoutMs <= 0) {
        err << "zephra-server: bad log-in time-out " << parser.value(timeoutOpt) << Qt::endl;
        return 1;
    }

    ZephraServer server(config);
    if (parser.isSet(verboseOpt))
        QObject::connect(&server, &ZephraServer::note,
                         [&err](const QString& text) { err << "zephra-server: " << text << Qt::endl; });
    QString error;
    if (!server.start(&error)) {
        err << "zephra-server: " << error << Qt::endl;
        return 1;
    }
    QTextStream(stdout) << "listening " << server.address().toString() << ' ' << server.port() << Qt::endl;
    return app.exec();
}
