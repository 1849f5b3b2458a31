// Activation latency and one method round trip of the automation server, next to a Qt D-Bus
// server that does nothing, measured in the same run on a private session bus.
//
//   bench_activation [rounds]      (default 10)

#include "vortan/AutomationClient.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Figures {
    std::vector<double> activation; // ms from the creation request to its reply
    std::vector<double> roundTrip;  // ms of one method call on the created object
};

pid_t StartBus(const std::string& dir, const std::string& services, std::string& address) {
    const std::string config = dir + "/session.conf";
    std::ofstream(config)
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\""
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n  <type>session</type>\n  <listen>unix:dir="
        << dir << "</listen>\n  <servicedir>" << services
        << "</servicedir>\n  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n    <allow own=\"*\"/>\n  </policy>\n"
           "</busconfig>\n";
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        const std::string arg = "--config-file=" + config;
        execlp("dbus-daemon", "dbus-daemon", arg.c_str(), "--nofork", "--print-address=1",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        address += c;
    close(fds[0]);
    return pid;
}

int Run(const std::string& program, const char* arg) {
    const pid_t pid = fork();
    if (pid == 0) {
        execl(program.c_str(), program.c_str(), arg, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

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

Figures MeasureNull(int rounds) {
    Figures f;
    QDBusConnection bus = QDBusConnection::sessionBus();
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        const QDBusMessage created =
            bus.call(QDBusMessage::createMethodCall(
                         QStringLiteral("org.example.NullServer"), QStringLiteral("/Null/Factory"),
                         QStringLiteral("org.example.Null"), QStringLiteral("CreateInstance")),
                     QDBus::Block, 60000);
        f.activation.push_back(Ms(clock));
        if (created.type() != QDBusMessage::ReplyMessage) {
            std::fprintf(stderr, "the null server could not be started: %s\n",
                         qPrintable(created.errorMessage()));
            return {};
        }
        const QString server = created.service();
        clock.restart();
        bus.call(QDBusMessage::createMethodCall(server, QStringLiteral("/Null/Object"),
                                                QStringLiteral("org.example.Null"),
                                                QStringLiteral("GetLastErrorCode")));
        f.roundTrip.push_back(Ms(clock));
        bus.call(QDBusMessage::createMethodCall(server, QStringLiteral("/Null/Object"),
                                                QStringLiteral("org.example.Null"),
                                                QStringLiteral("CloseServer")));
        WaitGone(server);
    }
    return f;
}

void Print(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::printf("  %-28s min %8.2f  median %8.2f  max %8.2f ms\n", what, values.front(),
                values[values.size() / 2], values.back());
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    QTemporaryDir root;
    const std::string base = root.path().toStdString();
    const std::string services = base + "/data/dbus-1/services";
    QDir().mkpath(QString::fromStdString(services));
    QDir().mkpath(QString::fromStdString(base + "/config"));
    QDir().mkpath(QString::fromStdString(base + "/runtime"));
    QFile::setPermissions(QString::fromStdString(base + "/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setenv("XDG_DATA_HOME", (base + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (base + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (base + "/runtime").c_str(), 1);
    setenv("VORTAN_CLASSES", (base + "/classes.ini").c_str(), 1);
    setenv("VORTAN_ANSWERS", (base + "/answers").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::ofstream(services + "/org.example.NullServer.service")
        << "[D-BUS Service]\nName=org.example.NullServer\nExec=" << VORTAN_NULL_SERVER << "\n";

    std::string address;
    const pid_t daemon = StartBus(base, services, address);
    if (daemon <= 0 || address.empty()) {
        std::fprintf(stderr, "dbus-daemon could not be started\n");
        return 1;
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    if (Run(VORTAN_SERVER_PATH, "--register") != 0) {
        std::fprintf(stderr, "vortan --register failed\n");
        kill(daemon, SIGTERM);
        return 1;
    }

    int result = 0;
    {
        QCoreApplication app(argc, argv);
        // Alternating keeps both under the same machine load.
        Figures vortan;
        Figures null;
        for (int i = 0; i < rounds && result == 0; ++i) {
            const Figures v = MeasureVortan(1);
            const Figures n = MeasureNull(1);
            if (v.activation.empty() || n.activation.empty()) {
                result = 1;
                break;
            }
            vortan.activation.push_back(v.activation.front());
            vortan.roundTrip.push_back(v.roundTrip.front());
            null.activation.push_back(n.activation.front());
            null.roundTrip.push_back(n.roundTrip.front());
        }
        if (result != 0) {
            kill(daemon, SIGTERM);
            waitpid(daemon, nullptr, 0);
            return result;
        }
        std::printf("%d rounds on a private session bus\n", rounds);
        std::printf("vortan (ZEPH.VORTAN.Application.7):\n");
        Print("activation (create -> reply)", vortan.activation);
        Print("method round trip", vortan.roundTrip);
        std::printf("minimal Qt D-Bus server:\n");
        Print("activation (create -> reply)", null.activation);
        Print("method round trip", null.roundTrip);
    }
    kill(daemon, SIGTERM);
    waitpid(daemon, nullptr, 0);
    return result;
}
