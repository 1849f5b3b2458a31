// Activation latency and one method round trip of the automation server, next to a Qt D-Bus
// server and a libdbus server that do nothing, measured in the same run on a private session
// bus: once from a client that is already running (create -> reply), and once with the client's
// start included (`vortanctl close` against `dbus-send` of the creation).
//
//   bench_activation [rounds]      (default 10)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "BenchBus.h"
#include "vortan/AutomationClient.h"

namespace {

struct Figures {
    std::vector<double> activation; // ms from the creation request to its reply
    std::vector<double> roundTrip;  // ms of one method call on the created object
};

void WaitGone(const QString& name) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    for (int i = 0; i < 500; ++i) {
        const QDBusMessage reply =
            bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                    QStringLiteral("/org/freedesktop/DBus"),
                                                    QStringLiteral("org.freedesktop.DBus"),
                                                    QStringLiteral("NameHasOwner"))
                     << name);
        if (!reply.arguments().value(0).toBool())
            return;
        QThread::msleep(10);
    }
}

double Ms(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

Figures MeasureVortan(int rounds) {
    Figures f;
    for (int i = 0; i < rounds; ++i) {
        std::unique_ptr<vortan::client::DispatchObject> object;
        QElapsedTimer clock;
        clock.start();
        std::string error;
        if (vortan::client::CreateObject("ZEPH.VORTAN.Application.7", object, &error) != S_OK) {
            std::fprintf(stderr, "vortan could not be created: %s\n", error.c_str());
            return {};
        }
        f.activation.push_back(Ms(clock));
        LONG code = 0;
        SHORT v1 = 0, v2 = 0, v3 = 0;
        clock.restart();
        object->GetLastErrorCode(&code, &v1, &v2, &v3);
        f.roundTrip.push_back(Ms(clock));
        const QString server = QString::fromStdString(object->ServerName());
        object->CloseServer();
        object.reset();
        WaitGone(server);
    }
    return f;
}

// A server as a plain bus client sees it: the same calls for vortan and the yardsticks.
struct Server {
    QString name;
    QString factory;
    QString factoryInterface;
    QString interface;
};

Figures MeasureRaw(int rounds, const Server& target) {
    Figures f;
    QDBusConnection bus = QDBusConnection::sessionBus();
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        const QDBusMessage created = bus.call(
            QDBusMessage::createMethodCall(target.name, target.factory, target.factoryInterface,
                                           QStringLiteral("CreateInstance")),
            QDBus::Block, 60000);
        f.activation.push_back(Ms(clock));
        if (created.type() != QDBusMessage::ReplyMessage) {
            std::fprintf(stderr, "%s could not be started: %s\n", qPrintable(target.name),
                         qPrintable(created.errorMessage()));
            return {};
        }
        const QString server = created.service();
        const QString object = created.arguments().value(0).value<QDBusObjectPath>().path();
        clock.restart();
        bus.call(QDBusMessage::createMethodCall(server, object, target.interface,
                                                QStringLiteral("GetLastErrorCode")));
        f.roundTrip.push_back(Ms(clock));
        bus.call(QDBusMessage::createMethodCall(server, object, target.interface,
                                                QStringLiteral("CloseServer")));
        WaitGone(server);
    }
    return f;
}

// Client start included: from starting the client program to its end.
double MeasureVortanCtl() {
    const double start = vortan::bench::NowMs();
    if (vortan::bench::RunProgram({VORTAN_CTL_PATH, "close"}) != 0)
        return -1;
    return vortan::bench::NowMs() - start;
}

double MeasureDbusSend(const QString& name) {
    const double start = vortan::bench::NowMs();
    const int code = vortan::bench::RunProgram({"dbus-send", "--session", "--print-reply",
                                                "--dest=" + name.toStdString(), "/Null/Factory",
                                                "org.example.Null.CreateInstance"});
    const double ms = vortan::bench::NowMs() - start;
    QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        name, QStringLiteral("/Null/Object"), QStringLiteral("org.example.Null"),
        QStringLiteral("CloseServer")));
    WaitGone(name);
    return code == 0 ? ms : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Print(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::printf("  %-28s min %8.2f  median %8.2f  max %8.2f ms\n", what, values.front(),
                values[values.size() / 2], values.back());
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const vortan::bench::BenchBus bus(QDir::tempPath().toStdString());
    if (!bus.Ok()) {
        std::fprintf(stderr, "dbus-daemon could not be started\n");
        return 1;
    }
    const QString qtNull = QStringLiteral("org.example.NullServer");
    const QString cNull = QStringLiteral("org.example.CNullServer");
    bus.AddService(qtNull.toStdString(), VORTAN_NULL_SERVER);
    bus.AddService(cNull.toStdString(), VORTAN_C_NULL_SERVER);
    if (vortan::bench::RunProgram({VORTAN_SERVER_PATH, "--register"}) != 0) {
        std::fprintf(stderr, "vortan --register failed\n");
        return 1;
    }

    QCoreApplication app(argc, argv);
    // Alternating keeps all of them under the same machine load.
    const Server vortanRaw{
        QStringLiteral("ZEPH.VORTAN.Application._7"), QStringLiteral("/ZEPH/VORTAN/ClassFactory"),
        QStringLiteral("ZEPH.VORTAN.ClassFactory"), QStringLiteral("ZEPH.VORTAN.Application")};
    const QString nullFactory = QStringLiteral("/Null/Factory");
    const QString nullInterface = QStringLiteral("org.example.Null");
    Figures vortan, vortanBus, qt, c;
    std::vector<double> ctl, qtSend, cSend;
    for (int i = 0; i < rounds; ++i) {
        const Figures v = MeasureVortan(1);
        const Figures raw = MeasureRaw(1, vortanRaw);
        const Figures q = MeasureRaw(1, Server{qtNull, nullFactory, nullInterface, nullInterface});
        const Figures n = MeasureRaw(1, Server{cNull, nullFactory, nullInterface, nullInterface});
        const double a = MeasureVortanCtl();
        const double b = MeasureDbusSend(qtNull);
        const double d = MeasureDbusSend(cNull);
        if (v.activation.empty() || raw.activation.empty() || q.activation.empty() ||
            n.activation.empty() || a < 0 || b < 0 || d < 0) {
            std::fprintf(stderr, "a server could not be started\n");
            return 1;
        }
        for (auto [to, from] : {std::pair{&vortan, &v}, std::pair{&vortanBus, &raw},
                                std::pair{&qt, &q}, std::pair{&c, &n}}) {
            to->activation.push_back(from->activation.front());
            to->roundTrip.push_back(from->roundTrip.front());
        }
        ctl.push_back(a);
        qtSend.push_back(b);
        cSend.push_back(d);
    }
    std::printf("%d rounds on a private session bus, no display\n", rounds);
    std::printf("vortan (ZEPH.VORTAN.Application.7), plain bus calls as below:\n");
    Print("activation (create -> reply)", vortanBus.activation);
    Print("method round trip", vortanBus.roundTrip);
    std::printf("vortan through the client library (CreateObject):\n");
    Print("activation (create -> reply)", vortan.activation);
    Print("method round trip", vortan.roundTrip);
    Print("vortanctl close", ctl);
    std::printf("do-nothing Qt Core + D-Bus server:\n");
    Print("activation (create -> reply)", qt.activation);
    Print("method round trip", qt.roundTrip);
    Print("dbus-send CreateInstance", qtSend);
    std::printf("do-nothing libdbus server:\n");
    Print("activation (create -> reply)", c.activation);
    Print("method round trip", c.roundTrip);
    Print("dbus-send CreateInstance", cSend);
    std::printf("ratios of medians: activation (plain calls) %.2fx Qt, %.2fx libdbus; "
                "client included %.2fx Qt, %.2fx libdbus\n",
                Median(vortanBus.activation) / Median(qt.activation),
                Median(vortanBus.activation) / Median(c.activation), Median(ctl) / Median(qtSend),
                Median(ctl) / Median(cSend));
    return 0;
}
