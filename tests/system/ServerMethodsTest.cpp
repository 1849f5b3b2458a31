#include "system/ServerTestEnv.h"

#include "vortan/AutomationClient.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QJsonArray>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

using vortan::client::CallResult;
using vortan::client::DispatchObject;
using vortan::client::Value;
namespace sys = vortan::systest;

namespace {

// Every text a run shows while it connects, so that a connection attempt leaves its trace.
constexpr const char* kRunTexts = "5077=Verbinde\n5080=Verbinde mit %s\n5079=Nicht verbunden\n"
                                  "5081=Verbunden\n";

std::vector<QJsonObject> Events(const std::vector<QJsonObject>& lines, const char* event,
                                int templateId = 0) {
    std::vector<QJsonObject> found;
    for (const QJsonObject& line : lines) {
        if (line.value(QStringLiteral("event")).toString() != QLatin1String(event))
            continue;
        if (templateId != 0 && line.value(QStringLiteral("template")).toInt() != templateId)
            continue;
        found.push_back(line);
    }
    return found;
}

bool Connected(const std::vector<QJsonObject>& lines) {
    for (const QJsonObject& text : Events(lines, "text", 102)) {
        if (text.value(QStringLiteral("text")).toString().startsWith(QLatin1String("Verbinde")))
            return true;
    }
    return false;
}

// Ends the server and waits for it, so transcripts are complete.
void Finish(std::unique_ptr<DispatchObject>& object, unsigned pid) {
    object->CloseServer();
    object.reset();
    EXPECT_TRUE(sys::WaitProcessGone(pid, 10000));
}

} // namespace

TEST(AutomationDispatch, RefusesWrongCountsTypesAndDispidsSayingWhat) {
    sys::PrepareDesktop("dispatch", "");
    auto object = sys::Create();
    ASSERT_NE(object, nullptr);
    const unsigned pid = sys::ServerPid(object->ServerName());

    struct Case {
        DISPID dispid;
        std::vector<Value> args;
        HRESULT hr;
        const char* text;
    };
    const std::vector<Case> cases = {
        {1,
         {std::string("a"), std::string("b")},
         DISP_E_BADPARAMCOUNT,
         "0x8002000E: ReadFile takes 6 arguments, 2 given"},
        {7,
         {std::int32_t(1)},
         DISP_E_BADPARAMCOUNT,
         "0x8002000E: CloseServer takes 0 arguments, 1 given"},
        {0, {}, DISP_E_MEMBERNOTFOUND, "0x80020003: no method with DISPID 0"},
        {13, {}, DISP_E_MEMBERNOTFOUND, "0x80020003: no method with DISPID 13"},
        {3,
         {std::string("eins"), std::string("c"), std::string("p"), std::string("s"),
          std::int16_t(0)},
         DISP_E_TYPEMISMATCH,
         "0x80020005: argument 1 (selector) of Format: cannot convert VT_BSTR to VT_I2"},
        {9,
         {std::int32_t(40000), std::string("c"), std::string("p"), std::string("s"), true,
          std::int16_t(0)},
         DISP_E_OVERFLOW,
         "0x8002000A: argument 1 (selector) of Format2: cannot convert VT_I4 to VT_I2 (out of "
         "range)"},
        {10,
         {std::string("c"), std::string("p"), std::string("s"), std::string("f"),
          std::string("vielleicht"), std::int16_t(0)},
         DISP_E_TYPEMISMATCH,
         "0x80020005: argument 5 (option) of WriteFile2: cannot convert VT_BSTR to VT_BOOL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const CallResult result = object->Invoke(c.dispid, c.args);
        EXPECT_EQ(result.hr, c.hr);
        EXPECT_NE(result.error.find(c.text), std::string::npos) << result.error;
    }

    std::vector<DISPID> dispids;
    EXPECT_EQ(object->GetIDsOfNames(
                  std::vector<std::string>{"readfile", "CLOSESERVER", "RemoveFiles2"}, dispids),
              S_OK);
    EXPECT_EQ(dispids, (std::vector<DISPID>{1, 7, 12}));
    EXPECT_EQ(object->GetIDsOfNames(std::vector<std::string>{"ReadFile", "Lesen"}, dispids),
              DISP_E_UNKNOWNNAME);
    EXPECT_NE(object->LastError().find("no method named \"Lesen\""), std::string::npos);

    // A named method with the wrong bus types is refused by its signature.
    const QDBusMessage wrong = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(QString::fromStdString(object->ServerName()),
                                       QStringLiteral("/ZEPH/VORTAN/Application"),
                                       QStringLiteral("ZEPH.VORTAN.Application"),
                                       QStringLiteral("RemoveFiles"))
        << QStringLiteral("c") << 5);
    EXPECT_EQ(wrong.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    EXPECT_EQ(wrong.errorMessage(), QStringLiteral("RemoveFiles takes (ssss), not (si)"));

    // The object describes itself.
    const QDBusMessage xml = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        QString::fromStdString(object->ServerName()), QStringLiteral("/ZEPH/VORTAN/Application"),
        QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect")));
    const QString description = xml.arguments().value(0).toString();
    EXPECT_TRUE(description.contains(QLatin1String("<method name=\"WriteFile2\">")));
    EXPECT_TRUE(description.contains(QLatin1String("<signal name=\"Progress\">")));
    Finish(object, pid);
}

TEST(AutomationMethods, GetLastErrorCodeBeforeAnyConnectionGivesZeros) {
    sys::PrepareDesktop("lasterror", "");
    auto object = sys::Create();
    ASSERT_NE(object, nullptr);
    const unsigned pid = sys::ServerPid(object->ServerName());
    // Late-bound, with values in the out-parameters (a named call has no inputs to carry
    // them): the connection object exists, so all four are 0.
    const CallResult late =
        object->Invoke("GetLastErrorCode", std::vector<Value>{std::int32_t(7), std::int16_t(8),
                                                              std::int16_t(9), std::int16_t(10)});
    EXPECT_EQ(late.hr, S_OK) << late.error;
    EXPECT_EQ(late.outs, (std::vector<Value>{std::int32_t(0), std::int16_t(0), std::int16_t(0),
                                             std::int16_t(0)}));
    Finish(object, pid);
}

TEST(AutomationMethods, RemoveFilesWithAnEmptyListSucceedsWithoutConnecting) {
    const std::string transcript = sys::PrepareDesktop("remove-empty", "");
    const std::string profile = sys::WriteProfile("remove.ini", std::string("[S]\n") + kRunTexts);
    auto object = sys::Create();
    ASSERT_NE(object, nullptr);
    const unsigned pid = sys::ServerPid(object->ServerName());
    SHORT result = 5;
    EXPECT_EQ(object->RemoveFiles("PLC1", profile, "S", "", &result), S_OK);
    EXPECT_EQ(result, 1);
    Finish(object, pid);
    EXPECT_FALSE(Connected(sys::ReadTranscript(transcript, pid)));
}

TEST(AutomationMethods, CancelAtTheSecondFileReadsNothing) {
    const std::string transcript = sys::PrepareDesktop("read-cancel", "dialog 133 cancel\n");
    const std::string profile = sys::WriteProfile(
        "cancel.ini", std::string("[S]\n") + kRunTexts + "[Section1]\n5043=Überschreiben?\n");
    const std::string local = sys::MakeDir("read-cancel");
    sys::Put(local + "/b.ini", "old b");
    auto object = sys::Create();
    ASSERT_NE(object, nullptr);
    const unsigned pid = sys::ServerPid(object->ServerName());
    SHORT result = 5;
    EXPECT_EQ(object->ReadFile("PLC1", profile, "S", local, "a.ini;b.ini;c.ini", &result), S_OK);
    EXPECT_EQ(result, 2);
    Finish(object, pid);

    const auto lines = sys::ReadTranscript(transcript, pid);
    const auto questions = Events(lines, "dialog", 133);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].value(QStringLiteral("caption")).toString(),
              QStringLiteral("Überschreiben?"));
    EXPECT_EQ(questions[0].value(QStringLiteral("answer")).toInt(), 2);
    QStringList texts;
    for (const auto& control : questions[0].value(QStringLiteral("controls")).toArray())
        texts << control.toObject().value(QStringLiteral("text")).toString();
    EXPECT_TRUE(texts.contains(QStringLiteral("b.ini")));
    EXPECT_TRUE(texts.contains(QString::fromStdString(local)));
    EXPECT_FALSE(Connected(lines));
    EXPECT_EQ(sys::Get(local + "/b.ini"), "old b");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(local + "/a.ini")));
}

TEST(AutomationMethods, RejectedShortNameShowsTheProfileTextLiterallyAndEndsTheServer) {
    struct Case {
        const char* name;
        const char* profileText;
        const char* shown;
    };
    const Case cases[] = {
        {"plain", "5053=Der Name %s ist zu lang\n5009=Fehler\n",
         "Der Name LONGNAME1.TXT ist zu lang"},
        {"conversions", "5053=%n%s%s %d 100%% %x %\n", "%nLONGNAME1.TXT%s %d 100% %x %"},
    };
    const std::string local = sys::MakeDir("write-long");
    sys::Put(local + "/LONGNAME1.TXT", "data");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string transcript = sys::PrepareDesktop(std::string("long-") + c.name, "");
        const std::string profile =
            sys::WriteProfile(std::string("long-") + c.name + ".ini",
                              std::string("[S]\n") + kRunTexts + c.profileText);
        auto object = sys::Create();
        ASSERT_NE(object, nullptr);
        const unsigned pid = sys::ServerPid(object->ServerName());
        SHORT result = 5;
        EXPECT_EQ(
            object->WriteFile("PLC1", profile, "S", "ignored", local + "/LONGNAME1.TXT", &result),
            S_OK);
        EXPECT_EQ(result, 0);
        // The server ends after the message, with no CloseServer from the client.
        EXPECT_TRUE(sys::WaitProcessGone(pid, 10000));
        object.reset();
        const auto lines = sys::ReadTranscript(transcript, pid);
        const auto boxes = Events(lines, "messagebox");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].value(QStringLiteral("text")).toString(), QString::fromUtf8(c.shown));
        EXPECT_EQ(boxes[0].value(QStringLiteral("caption")).toString(),
                  QString::fromUtf8(std::string(c.name) == "plain" ? "Fehler" : ""));
        EXPECT_EQ(boxes[0].value(QStringLiteral("type")).toInt(), 0x30);
        EXPECT_FALSE(Connected(lines));
    }
}

TEST(AutomationMethods, WithoutTheShortNameTextTheWriteGoesAhead) {
    const std::string transcript = sys::PrepareDesktop("long-none", "");
    const std::string profile =
        sys::WriteProfile("long-none.ini", std::string("[S]\n") + kRunTexts);
    const std::string local = sys::MakeDir("write-long-none");
    sys::Put(local + "/LONGNAME1.TXT", "data");
    auto object = sys::Create();
    ASSERT_NE(object, nullptr);
    const unsigned pid = sys::ServerPid(object->ServerName());
    SHORT result = 5;
    object->WriteFile("NOBOARD", profile, "S", "", local + "/LONGNAME1.TXT", &result);
    Finish(object, pid);
    const auto lines = sys::ReadTranscript(transcript, pid);
    for (const QJsonObject& box : Events(lines, "messagebox"))
        EXPECT_FALSE(
            box.value(QStringLiteral("text")).toString().contains(QLatin1String("LONGNAME1")));
    EXPECT_TRUE(Connected(lines));
}

TEST(AutomationMethods, SelectionsAnswerTheChoiceAndShowOnlyTheBrowsers) {
    const std::string dir = sys::MakeDir("select-dir") + "/";
    const std::string transcript = sys::PrepareDesktop(
        "select", "filedialog cancel\nfiledialog ok /a/x.txt /a/y.txt\nfolder ok " + dir +
                      "\nfolder cancel\n");
    auto object = sys::Create();
    ASSERT_NE(object, nullptr);
    const unsigned pid = sys::ServerPid(object->ServerName());
    // Control flags 0x203: several files in an open dialog. No profile text 5024: no title.
    for (const auto& [files, chosen, result] : std::vector<std::tuple<bool, std::string, int>>{
             {true, "", 2}, {true, "/a/x.txt;/a/y.txt", 1}, {false, dir, 1}, {false, "", 2}}) {
        std::string text = "x";
        SHORT flag = 5;
        EXPECT_EQ(files ? object->ShowFileSelectDialog("", "", "/", 0, 0x203, &text, &flag)
                        : object->ShowDirectorySelectDialog("", "", "", &text, &flag),
                  S_OK);
        EXPECT_EQ(text, chosen);
        EXPECT_EQ(flag, result);
    }
    Finish(object, pid);
    const auto lines = sys::ReadTranscript(transcript, pid);
    EXPECT_EQ(Events(lines, "filedialog").size(), 2u);
    const auto folders = Events(lines, "folder");
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0].value(QStringLiteral("title")).toString(), QString());
    EXPECT_EQ(folders[0].value(QStringLiteral("status")).toArray(),
              QJsonArray{QString::fromStdString(dir)});
    // The hosts are never shown; only the browsers are.
    EXPECT_TRUE(Events(lines, "dialog", 131).empty() && Events(lines, "dialog", 132).empty());
}
