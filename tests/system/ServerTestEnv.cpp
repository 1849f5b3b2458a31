#include "system/ServerTestEnv.h"

#include <fstream>
#include <iterator>
#include <signal.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QMap>
#include <QThread>
#include <gtest/gtest.h>

#include "system/SessionBus.h"

namespace vortan::systest {

namespace {

ServerTestEnv g_env;

} // namespace

ServerTestEnv& MutableEnv() {
    return g_env;
}

const ServerTestEnv& Env() {
    return g_env;
}

void KillBus() {
    if (g_env.killBus)
        g_env.killBus();
}

bool SetActivationEnvironment(const std::vector<std::pair<QString, QString>>& variables) {
    qDBusRegisterMetaType<QMap<QString, QString>>();
    QMap<QString, QString> map;
    for (const auto& [name, value] : variables)
        map.insert(name, value);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("UpdateActivationEnvironment"));
    call << QVariant::fromValue(map);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    return reply.type() == QDBusMessage::ReplyMessage;
}

std::string PrepareDesktop(const std::string& name, const std::string& answers) {
    const std::string answerFile = g_env.root + "/" + name + ".answers";
    const std::string transcript = g_env.root + "/" + name + ".transcript";
    std::ofstream(answerFile, std::ios::trunc) << answers;
    std::ofstream(transcript, std::ios::trunc).flush();
    SetActivationEnvironment(
        {{QStringLiteral("VORTAN_ANSWERS"), QString::fromStdString(answerFile)},
         {QStringLiteral("VORTAN_TRANSCRIPT"), QString::fromStdString(transcript)}});
    return transcript;
}

std::vector<QJsonObject> ReadTranscript(const std::string& path, unsigned pid) {
    std::vector<QJsonObject> lines;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty())
            continue;
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        if (pid == 0 || object.value(QStringLiteral("pid")).toInteger() == pid)
            lines.push_back(object);
    }
    return lines;
}

unsigned ServerPid(const std::string& uniqueName) {
    const auto reply =
        QDBusConnection::sessionBus().interface()->servicePid(QString::fromStdString(uniqueName));
    return reply.isValid() ? reply.value() : 0;
}

bool ProcessRunning(unsigned pid) {
    if (pid == 0 || kill(static_cast<pid_t>(pid), 0) != 0)
        return false;
    // A process that ended but was not yet reaped by the bus is no longer running.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const auto close = text.rfind(')');
    return close == std::string::npos || close + 2 >= text.size() || text[close + 2] != 'Z';
}

bool WaitProcessGone(unsigned pid, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        if (!ProcessRunning(pid))
            return true;
        QThread::msleep(20);
    }
    return !ProcessRunning(pid);
}

std::string WriteProfile(const std::string& name, const std::string& text) {
    const std::string path = g_env.root + "/" + name;
    std::ofstream(path, std::ios::trunc | std::ios::binary) << text;
    return path;
}

std::unique_ptr<client::DispatchObject> Create() {
    std::unique_ptr<client::DispatchObject> object;
    std::string error;
    EXPECT_EQ(client::CreateObject("ZEPH.VORTAN.Application.7", object, &error), S_OK) << error;
    return object;
}

QDBusMessage FactoryCall(const QString& service) {
    return QDBusMessage::createMethodCall(service, QStringLiteral("/ZEPH/VORTAN/ClassFactory"),
                                          QStringLiteral("ZEPH.VORTAN.ClassFactory"),
                                          QStringLiteral("CreateInstance"));
}

QDBusMessage ObjectCall(const std::string& server, const char* method) {
    return QDBusMessage::createMethodCall(
        QString::fromStdString(server), QStringLiteral("/ZEPH/VORTAN/Application"),
        QStringLiteral("ZEPH.VORTAN.Application"), QString::fromLatin1(method));
}

std::string MakeBoard(const std::string& name, const std::vector<std::string>& args) {
    std::vector<std::string> all{"create", name};
    all.insert(all.end(), args.begin(), args.end());
    EXPECT_EQ(RunProgram(g_env.boardTool, all), 0);
    return g_env.boards + "/" + name + "/flash";
}

std::string MakeSilentBoard(const std::string& name) {
    const std::string board = g_env.boards + "/" + name;
    QDir().mkpath(QString::fromStdString(board + "/flash"));
    Put(board + "/board.ini", "[board]\nsilent=1\n");
    return board + "/flash";
}

std::string MakeDir(const std::string& name) {
    const std::string path = g_env.root + "/" + name;
    QDir().mkpath(QString::fromStdString(path));
    return path;
}

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool WaitForText(const std::string& transcript, const QString& text, int ms) {
    const auto shown = [&] {
        for (const QJsonObject& line : ReadTranscript(transcript))
            if (line.value(QStringLiteral("event")).toString() == QLatin1String("text") &&
                line.value(QStringLiteral("text")).toString() == text)
                return true;
        return false;
    };
    QElapsedTimer clock;
    clock.start();
    while (!shown() && clock.elapsed() < ms)
        QThread::msleep(20);
    return shown();
}

} // namespace vortan::systest
