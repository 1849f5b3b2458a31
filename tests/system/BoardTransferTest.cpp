#include <climits>
#include <csignal>
#include <string>
#include <vector>

#include <QDBusConnection>
#include <QDBusPendingReply>
#include <QDir>
#include <gtest/gtest.h>

#include "system/ServerTestEnv.h"
#include "vortan/AutomationClient.h"

namespace sys = vortan::systest;
using sys::Create;
using sys::Get;
using sys::MakeBoard;
using sys::MakeDir;
using sys::Put;
using vortan::client::Progress;

// Nein, then a name without extension in the save dialog: the entry's extension is added. The
// run's end ends the server by itself.
TEST(BoardTransfer, NeinReadsTheFileUnderTheChosenName) {
    const std::string flash = MakeBoard("NEIN1");
    Put(flash + "/a.ini", "alpha");
    Put(flash + "/b.ini", std::string("bra\0vo\n", 7));
    Put(flash + "/c.ini", "charlie");
    const std::string other = MakeDir("nein-other");
    const std::string local = MakeDir("nein-local");
    Put(local + "/b.ini", "old b");
    const std::string transcript =
        sys::PrepareDesktop("nein", "dialog 133 no\nfiledialog ok " + other + "/b2\n");
    auto object = Create();
    ASSERT_NE(object, nullptr);
    const unsigned pid = sys::ServerPid(object->ServerName());
    SHORT result = 5;
    EXPECT_EQ(object->ReadFile("NEIN1", sys::WriteProfile("nein.ini", ""), "S", local,
                               "a.ini;b.ini;c.ini", &result),
              S_OK);
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(sys::WaitProcessGone(pid, 10000));
    EXPECT_EQ(Get(local + "/b.ini"), "old b");
    EXPECT_EQ(Get(local + "/a.ini"), "alpha");
    EXPECT_EQ(Get(local + "/c.ini"), "charlie");
    EXPECT_EQ(Get(other + "/b2.ini"), Get(flash + "/b.ini"));
    // A save dialog that starts at the local directory and proposes the entry's name.
    QStringList shown;
    for (const QJsonObject& line : sys::ReadTranscript(transcript, pid)) {
        for (const char* key : {"event", "kind", "fileName", "initialDirectory"})
            shown << line.value(key).toString();
    }
    EXPECT_TRUE(shown.join('|').contains(QString::fromStdString("filedialog|save|b|" + local)));
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
