#include "system/ProgressRecorder.h"
#include "system/ServerTestEnv.h"
#include "system/SessionBus.h"

#include "vortan/AutomationClient.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QObject>

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <fstream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using vortan::client::CreateObject;
using vortan::client::DispatchObject;
namespace sys = vortan::systest;

namespace {

std::unique_ptr<DispatchObject> Create() {
    std::unique_ptr<DispatchObject> object;
    std::string error;
    EXPECT_EQ(CreateObject("ZEPH.VORTAN.Application.7", object, &error), S_OK) << error;
    return object;
}

std::string MakeBoard(const std::string& name, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args{"create", name};
    args.insert(args.end(), extra.begin(), extra.end());
    EXPECT_EQ(sys::RunProgram(VORTAN_BOARD_TOOL, args), 0);
    return sys::Env().boards + "/" + name + "/flash";
}

std::string MakeDir(const std::string& name) {
    const std::string path = sys::Env().root + "/" + name;
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

int Questions(const std::string& transcript, unsigned pid) {
    int count = 0;
    for (const QJsonObject& line : sys::ReadTranscript(transcript, pid)) {
        if (line.value(QStringLiteral("event")).toString() == QLatin1String("dialog") &&
            line.value(QStringLiteral("template")).toInt() == 133)
            ++count;
    }
    return count;
}

} // namespace

TEST(BoardTransfer, WriteThenReadBackOverwritingAll) {
    const std::string flash = MakeBoard("RW1");
    const std::string profile = sys::WriteProfile("rw.ini", "[S]\n5077=Verbinde\n");
    const std::string source = MakeDir("rw-source");
    Put(source + "/a.ini", "alpha");
    Put(source + "/b.ini", "bravo!");
    Put(source + "/LONGNAME1.TXT", "long");

    sys::PrepareDesktop("rw-write", "");
    {
        auto object = Create();
        ASSERT_NE(object, nullptr);
        const unsigned pid = sys::ServerPid(object->ServerName());
        SHORT flag = 5;
        // No text 5053 in the profile: the long name is written as well.
        EXPECT_EQ(object->WriteFile(
                      "RW1", profile, "S", "anything",
                      source + "/a.ini;" + source + "/b.ini;" + source + "/LONGNAME1.TXT", &flag),
                  S_OK);
        EXPECT_EQ(flag, 1);
        // The run's last item ends the server by itself.
        EXPECT_TRUE(sys::WaitProcessGone(pid, 10000));
    }
    EXPECT_EQ(Get(flash + "/a.ini"), "alpha");
    EXPECT_EQ(Get(flash + "/b.ini"), "bravo!");
    EXPECT_EQ(Get(flash + "/LONGNAME1.TXT"), "long");

    const std::string local = MakeDir("rw-local");
    Put(local + "/a.ini", "old a");
    Put(local + "/b.ini", "old b");
    const std::string transcript = sys::PrepareDesktop("rw-read", "dialog 133 1014\n");
    auto object = Create();
    ASSERT_NE(object, nullptr);
    const unsigned pid = sys::ServerPid(object->ServerName());
    SHORT flag = 5;
    EXPECT_EQ(object->ReadFile("RW1", profile, "S", local, "a.ini;b.ini", &flag), S_OK);
    EXPECT_EQ(flag, 1);
    EXPECT_TRUE(sys::WaitProcessGone(pid, 10000));
    EXPECT_EQ(Get(local + "/a.ini"), "alpha");
    EXPECT_EQ(Get(local + "/b.ini"), "bravo!");
    EXPECT_EQ(Questions(transcript, pid), 1);
}

TEST(BoardTransfer, ReadWithTheOptionReadsLikeWithout) {
    const std::string flash = MakeBoard("OPT1");
    Put(flash + "/c.ini", "charlie");
    const std::string profile = sys::WriteProfile("opt.ini", "[S]\n");
    for (const bool option : {false, true}) {
        SCOPED_TRACE(option);
        const std::string local = MakeDir(option ? "opt-true" : "opt-false");
        sys::PrepareDesktop("opt", "");
        auto object = Create();
        ASSERT_NE(object, nullptr);
        const unsigned pid = sys::ServerPid(object->ServerName());
        SHORT flag = 5;
        EXPECT_EQ(object->ReadFile2("OPT1", profile, "S", local, "c.ini", option, &flag), S_OK);
        EXPECT_EQ(flag, 1);
        EXPECT_TRUE(sys::WaitProcessGone(pid, 10000));
        EXPECT_EQ(Get(local + "/c.ini"), "charlie");
    }
}

TEST(BoardTransfer, NeinReadsTheFileUnderTheChosenNameOrCancels) {
    const std::string flash = MakeBoard("NEIN1");
    Put(flash + "/a.ini", "alpha");
    Put(flash + "/b.ini", std::string("bra\0vo\n", 7));
    Put(flash + "/c.ini", "charlie");
    const std::string other = MakeDir("nein-other");
    // The file dialog's answer; the flag; whether a.ini, c.ini and other/b2.ini are read. A
    // name without extension gets the entry's; a run stops at an item it cannot store.
    for (const auto& [answer, flag, read] : std::vector<std::tuple<std::string, int, std::string>>{
             {"ok " + other + "/b2", 1, "aco"},
             {"cancel", 2, "---"},
             {"ok " + other + "/gone/b2.ini", 0, "a--"}}) {
        const std::string local = MakeDir("nein-" + std::to_string(flag));
        Put(local + "/b.ini", "old b");
        const std::string transcript =
            sys::PrepareDesktop("nein", "dialog 133 no\nfiledialog " + answer + "\n");
        auto object = Create();
        ASSERT_NE(object, nullptr);
        const unsigned pid = sys::ServerPid(object->ServerName());
        SHORT result = 5;
        EXPECT_EQ(object->ReadFile("NEIN1", sys::WriteProfile("nein.ini", ""), "S", local,
                                   "a.ini;b.ini;c.ini", &result),
                  S_OK);
        EXPECT_EQ(result, flag);
        if (flag != 1) // a complete run ends its server by itself
            object->CloseServer();
        object.reset();
        EXPECT_TRUE(sys::WaitProcessGone(pid, 10000));
        EXPECT_EQ(Get(local + "/b.ini"), "old b");
        EXPECT_EQ(Get(local + "/a.ini"), read[0] == 'a' ? "alpha" : "");
        EXPECT_EQ(Get(local + "/c.ini"), read[1] == 'c' ? "charlie" : "");
        EXPECT_EQ(Get(other + "/b2.ini"), read[2] == 'o' ? Get(flash + "/b.ini") : "");
        QFile::remove(QString::fromStdString(other + "/b2.ini"));
        // A save dialog that starts at the local directory and proposes the entry's name.
        QStringList shown;
        for (const QJsonObject& line : sys::ReadTranscript(transcript, pid)) {
            for (const char* key : {"event", "kind", "fileName", "initialDirectory"})
                shown << line.value(key).toString();
        }
        EXPECT_TRUE(shown.join('|').contains(QString::fromStdString("filedialog|save|b|" + local)));
    }
}

TEST(BoardTransfer, ProgressIsReportedAndASecondCallStartsNothing) {
    MakeBoard("SLOW1", {"--speed", "40000"});
    const std::string profile =
        sys::WriteProfile("slow.ini", "[S]\n5077=Verbinde\n5045=Schreibe %d%%\n5048=Schreibe %s\n");
    const std::string source = MakeDir("slow-source");
    Put(source + "/big1.bin", std::string(30000, 'x'));
    Put(source + "/big2.bin", std::string(30000, 'y'));
    sys::PrepareDesktop("slow", "");
    auto object = Create();
    ASSERT_NE(object, nullptr);
    const unsigned pid = sys::ServerPid(object->ServerName());
    sys::ProgressRecorder progress(object->ServerName());

    // Both calls are on their way before the server takes the first. The second one is
    // refused in the loop that waits for the controller, or, should it come later, never
    // served because the run ends the server; either way it removes nothing.
    const QString server = QString::fromStdString(object->ServerName());
    QDBusMessage write = QDBusMessage::createMethodCall(
        server, QStringLiteral("/ZEPH/VORTAN/Application"),
        QStringLiteral("ZEPH.VORTAN.Application"), QStringLiteral("WriteFile2"));
    write << QStringLiteral("SLOW1") << QString::fromStdString(profile) << QStringLiteral("S")
          << QString::fromStdString(source + "/big1.bin;" + source + "/big2.bin") << false;
    QDBusMessage remove = QDBusMessage::createMethodCall(
        server, QStringLiteral("/ZEPH/VORTAN/Application"),
        QStringLiteral("ZEPH.VORTAN.Application"), QStringLiteral("RemoveFiles"));
    remove << QStringLiteral("SLOW1") << QString::fromStdString(profile) << QStringLiteral("S")
           << QStringLiteral("big1.bin");
    QDBusPendingReply<int, short> written = QDBusConnection::sessionBus().asyncCall(write, INT_MAX);
    QDBusPendingReply<int, short> removed =
        QDBusConnection::sessionBus().asyncCall(remove, INT_MAX);
    written.waitForFinished();
    removed.waitForFinished();
    ASSERT_FALSE(written.isError()) << written.error().message().toStdString();
    EXPECT_EQ(written.argumentAt<0>(), S_OK);
    EXPECT_EQ(written.argumentAt<1>(), 1);
    if (!removed.isError()) {
        EXPECT_EQ(static_cast<HRESULT>(removed.argumentAt<0>()), RPC_E_CALL_REJECTED);
    }
    EXPECT_TRUE(sys::WaitProcessGone(pid, 10000));
    EXPECT_EQ(Get(sys::Env().boards + "/SLOW1/flash/big1.bin"), std::string(30000, 'x'));

    QElapsedTimer clock;
    clock.start();
    while ((progress.reports.empty() || progress.reports.back().percent != 100) &&
           clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_GE(progress.reports.size(), 3u);
    bool sawWriting = false;
    for (const auto& report : progress.reports)
        sawWriting = sawWriting || report.status == QStringLiteral("Schreibe big2.bin");
    EXPECT_TRUE(sawWriting);
    std::string seen;
    for (const auto& report : progress.reports)
        seen += (report.caption + " | " + report.status + " | ").toStdString() +
                std::to_string(report.percent) + "\n";
    EXPECT_EQ(progress.reports.back().percent, 100) << seen;
    for (std::size_t i = 1; i < progress.reports.size(); ++i)
        EXPECT_GE(progress.reports[i].percent, progress.reports[i - 1].percent) << i;
}

TEST(BoardTransfer, AServerKilledDuringAReadLeavesNoPartialFile) {
    Put(MakeBoard("CRASH1", {"--speed", "20000"}) + "/big.bin", std::string(400000, 'z'));
    const std::string local = MakeDir("crash-local");
    sys::PrepareDesktop("crash", "");
    auto object = Create();
    ASSERT_NE(object, nullptr);
    sys::ProgressRecorder progress(object->ServerName());
    QDBusMessage read = QDBusMessage::createMethodCall(
        QString::fromStdString(object->ServerName()), QStringLiteral("/ZEPH/VORTAN/Application"),
        QStringLiteral("ZEPH.VORTAN.Application"), QStringLiteral("ReadFile2"));
    read << QStringLiteral("CRASH1") << QString() << QString() << QString::fromStdString(local)
         << QStringLiteral("big.bin") << false;
    QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(read, INT_MAX);
    // Killed once bytes have arrived (20 s for all of them): the read's file exists by then.
    QElapsedTimer clock;
    clock.start();
    while ((progress.reports.empty() || progress.reports.back().percent == 0) &&
           clock.elapsed() < 15000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(progress.reports.empty());
    ASSERT_EQ(::kill(static_cast<pid_t>(sys::ServerPid(object->ServerName())), SIGKILL), 0);
    pending.waitForFinished();
    EXPECT_EQ(QDir(QString::fromStdString(local))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                  .join(QLatin1Char(' '))
                  .toStdString(),
              "");
}
