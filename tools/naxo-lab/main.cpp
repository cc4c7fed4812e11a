// naxo-lab: simulated NAXO devices and update server.
//
//   naxo-lab loopback [--devices N] [--scenario F] [--log F]
//                     [--discovery-port P] [--http-port P] [--ftp-port P] [--server-port P]
//       N devices at 127.0.0.(10+k) and the update server at 127.0.0.2; prints
//       one JSON line with the ports (0 = any free port) and runs until killed
//       or until its standard input closes.
//   naxo-lab device --index K [--devices N] [--scenario F] [--log F]
//       device K (from 1) on all local addresses, ports 9454, 80 and 21
//       (for a network namespace of its own).
//   naxo-lab server [--scenario F] [--log F] [--port P]
//       the update server on all local addresses, port 80.
#include "lab.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QSocketNotifier>
#include <cstdio>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

int main(int argc, char **argv)
{
    // Hundreds of devices need more descriptors than the usual soft limit.
#ifdef Q_OS_UNIX
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
#endif
    QCoreApplication app(argc, argv);
    QCommandLineParser p;
    p.addHelpOption();
    p.addPositionalArgument(QStringLiteral("mode"), QStringLiteral("loopback | device | server"));
    const QCommandLineOption devices(QStringLiteral("devices"), QStringLiteral("device count"), QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption scenario(QStringLiteral("scenario"), QStringLiteral("scenario JSON"), QStringLiteral("file"));
    const QCommandLineOption logFile(QStringLiteral("log"), QStringLiteral("event log"), QStringLiteral("file"));
    const QCommandLineOption index(QStringLiteral("index"), QStringLiteral("device number"), QStringLiteral("K"), QStringLiteral("1"));
    const QCommandLineOption discovery(QStringLiteral("discovery-port"), QStringLiteral("port"), QStringLiteral("P"), QStringLiteral("0"));
    const QCommandLineOption http(QStringLiteral("http-port"), QStringLiteral("port"), QStringLiteral("P"), QStringLiteral("0"));
    const QCommandLineOption ftp(QStringLiteral("ftp-port"), QStringLiteral("port"), QStringLiteral("P"), QStringLiteral("0"));
    const QCommandLineOption server(QStringLiteral("server-port"), QStringLiteral("port"), QStringLiteral("P"), QStringLiteral("0"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("server port"), QStringLiteral("P"), QStringLiteral("80"));
    p.addOptions({devices, scenario, logFile, index, discovery, http, ftp, server, port});
    p.process(app);

    const QString mode = p.positionalArguments().value(0);
    int count = p.value(devices).toInt();
    QString error;
    lab::Scenario s = p.isSet(scenario) ? lab::loadScenario(p.value(scenario), count, &error)
                                        : lab::defaultScenario(count > 0 ? count : 1);
    if (!error.isEmpty()) {
        fprintf(stderr, "naxo-lab: %s\n", qPrintable(error));
        return 2;
    }
    lab::Lab l(s);
    if (p.isSet(logFile) && !l.log().openFile(p.value(logFile))) {
        fprintf(stderr, "naxo-lab: cannot write %s\n", qPrintable(p.value(logFile)));
        return 2;
    }

    bool ok = false;
    if (mode == QLatin1String("loopback")) {
        lab::LabPorts ports{quint16(p.value(discovery).toUInt()), quint16(p.value(http).toUInt()),
                            quint16(p.value(ftp).toUInt()), quint16(p.value(server).toUInt())};
        ok = l.startLoopback(ports, &error);
    } else if (mode == QLatin1String("device")) {
        ok = l.startDevice(p.value(index).toInt() - 1, lab::LabPorts{9454, 80, 21, 0}, &error);
    } else if (mode == QLatin1String("server")) {
        ok = l.startServer(QHostAddress::AnyIPv4, quint16(p.value(port).toUInt()), &error);
    } else {
        p.showHelp(2);
    }
    if (!ok) {
        fprintf(stderr, "naxo-lab: %s\n", qPrintable(error));
        return 1;
    }
    printf("%s\n", QJsonDocument(l.describe()).toJson(QJsonDocument::Compact).constData());
    fflush(stdout);

    // A parent that goes away closes our standard input: end with it.
    QSocketNotifier stdinClosed(fileno(stdin), QSocketNotifier::Read);
    QObject::connect(&stdinClosed, &QSocketNotifier::activated, &app, [&] {
        char buf[256];
        if (fread(buf, 1, 1, stdin) == 0)
            app.quit();
    });
    if (mode != QLatin1String("loopback"))
        stdinClosed.setEnabled(false);
    return app.exec();
}
