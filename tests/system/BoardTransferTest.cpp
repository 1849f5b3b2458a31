#include "system/ServerTestEnv.h"

#include "vortan/AutomationClient.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QJsonArray>

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <string>
#include <tuple>
#include <vector>

namespace sys = vortan::systest;
using sys::Create;
using sys::Get;
using sys::MakeBoard;
using sys::MakeDir;
using sys::Put;
using vortan::client::Progress;

namespace {

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
    Put(MakeBoard("OPT1") + "/c.ini", "charlie");
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

TEST(BoardTransfer, ProgressRisesToTheEndAndNamesTheFiles) {
    const std::string flash = MakeBoard("SLOW1", {"--speed", "40000"});
    const std::string profile =
        sys::WriteProfile("slow.ini", "[S]\n5045=Schreibe %d%%\n5048=Schreibe %s\n");
    const std::string source = MakeDir("slow-source");
    Put(source + "/big1.bin", std::string(30000, 'x'));
    Put(source + "/big2.bin", std::string(30000, 'y'));
    sys::PrepareDesktop("slow", "");
    auto object = Create();
    ASSERT_NE(object, nullptr);
    std::vector<Progress> reports;
    object->SetProgressHandler([&](const Progress& report) { reports.push_back(report); });
    SHORT flag = 5;
    EXPECT_EQ(object->WriteFile2("SLOW1", profile, "S",
                                 source + "/big1.bin;" + source + "/big2.bin", false, &flag),
              S_OK);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(Get(flash + "/big2.bin"), std::string(30000, 'y'));

    ASSERT_GE(reports.size(), 3u);
    EXPECT_EQ(reports.back().percent, 100);
    bool sawWriting = false;
    for (std::size_t i = 0; i < reports.size(); ++i) {
        sawWriting = sawWriting || reports[i].status == "Schreibe big2.bin";
        EXPECT_GE(reports[i].percent, i > 0 ? reports[i - 1].percent : 0) << i;
    }
    EXPECT_TRUE(sawWriting);
}

TEST(BoardTransfer, ACallWhileTheServerWaitsForTheBoardIsRefused) {
    const std::string flash = sys::MakeSilentBoard("SILENT1");
    Put(flash + "/keep.ini", "keep");
    const std::string profile = sys::WriteProfile("silent.ini", "[S]\n5077=Verbinde\n");
    const std::string transcript = sys::PrepareDesktop("silent", "");
    auto object = Create();
    ASSERT_NE(object, nullptr);
    const unsigned pid = sys::ServerPid(object->ServerName());

    // The write waits for a Connect that is never answered; the server serves calls meanwhile.
    QDBusMessage write = sys::ObjectCall(object->ServerName(), "WriteFile2");
    write << QStringLiteral("SILENT1") << QString::fromStdString(profile) << QStringLiteral("S")
          << QString::fromStdString(sys::Env().root + "/silent.ini") << false;
    QDBusPendingReply<int, short> written = QDBusConnection::sessionBus().asyncCall(write, INT_MAX);
    ASSERT_TRUE(sys::WaitForText(transcript, QStringLiteral("Verbinde"), 30000));

    SHORT flag = 5;
    EXPECT_EQ(object->RemoveFiles("SILENT1", profile, "S", "keep.ini", &flag), RPC_E_CALL_REJECTED);
    EXPECT_EQ(object->CloseServer(), S_OK);
    written.waitForFinished();
    EXPECT_TRUE(sys::WaitProcessGone(pid, 10000));
    EXPECT_EQ(QDir(QString::fromStdString(flash)).entryList(QDir::Files).join(' ').toStdString(),
              "keep.ini");
    EXPECT_EQ(Get(flash + "/keep.ini"), "keep");
}

TEST(BoardTransfer, AServerKilledDuringAReadLeavesNoPartialFile) {
    Put(MakeBoard("CRASH1", {"--speed", "20000"}) + "/big.bin", std::string(400000, 'z'));
    const std::string local = MakeDir("crash-local");
    sys::PrepareDesktop("crash", "");
    auto object = Create();
    ASSERT_NE(object, nullptr);
    const unsigned pid = sys::ServerPid(object->ServerName());
    // Killed once bytes have arrived (20 s for all of them): the read's file exists by then.
    bool killed = false;
    object->SetProgressHandler([&](const Progress& report) {
        if (report.percent > 0 && !killed)
            killed = ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
    });
    SHORT flag = 5;
    EXPECT_EQ(object->ReadFile2("CRASH1", "", "", local, "big.bin", false, &flag),
              vortan::client::RPC_E_DISCONNECTED);
    EXPECT_TRUE(killed);
    EXPECT_EQ(QDir(QString::fromStdString(local))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                  .join(QLatin1Char(' '))
                  .toStdString(),
              "");
}
