#include "vortan/AutomationClient.h"

#include "automation/dbus/BusContract.h"
#include "client/ProgressReceiver.h"
#include "vortan/ContractIds.h"
#include "vortan/com/Guid.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QString>
#include <QThread>
#include <QTimer>
#include <QVariant>

#include <algorithm>
#include <climits>
#include <random>
#include <utility>

namespace vortan::client {

namespace {

// A closed connection is noticed by asking it; QtDBus completes no call that waits on it.
constexpr int kConnectionCheckMs = 250;
// Back-off between creation attempts: from the first to the longest pause, each drawn at
// random around the current one so that clients that met once do not meet again.
constexpr int kFirstBackoffMs = 20;
constexpr int kLongestBackoffMs = 1000;

constexpr const char* kErrorDisconnected = "org.freedesktop.DBus.Error.Disconnected";
constexpr const char* kErrorNoReply = "org.freedesktop.DBus.Error.NoReply";
constexpr const char* kErrorServiceUnknown = "org.freedesktop.DBus.Error.ServiceUnknown";

// Sends `call` and waits for its answer without a time limit, but not beyond the end of the
// connection or, with `server` (a unique name), of that server on the bus: those end the wait
// with an error saying so. Runs a local event loop meanwhile (signals reach their receivers).
QDBusMessage CallAndWait(QDBusConnection& connection, const QDBusMessage& call,
                         const QString& server = {}) {
    QDBusPendingCall pending = connection.asyncCall(call, INT_MAX);
    if (pending.isFinished())
        return pending.reply();
    QEventLoop loop;
    QDBusPendingCallWatcher watcher(pending);
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (!connection.isConnected())
            loop.quit();
    });
    check.start(kConnectionCheckMs);
    bool serverGone = false;
    std::unique_ptr<QDBusServiceWatcher> serverWatch;
    if (!server.isEmpty()) {
        serverWatch = std::make_unique<QDBusServiceWatcher>(
            server, connection, QDBusServiceWatcher::WatchForUnregistration);
        QObject::connect(serverWatch.get(), &QDBusServiceWatcher::serviceUnregistered, &loop, [&] {
            serverGone = true;
            loop.quit();
        });
        // It may have gone before the watch began.
        const QDBusReply<bool> onBus = connection.interface()->isServiceRegistered(server);
        serverGone = onBus.isValid() && !onBus.value();
    }
    if (!serverGone && !pending.isFinished())
        loop.exec();
    // An answer sent just before its server left is still on its way through the queue.
    if (!pending.isFinished())
        QCoreApplication::processEvents();
    if (pending.isFinished())
        return pending.reply();
    if (!connection.isConnected())
        return QDBusMessage::createError(
            QString::fromLatin1(kErrorDisconnected),
            QStringLiteral("the connection to the session bus was closed during the call"));
    return QDBusMessage::createError(
        QString::fromLatin1(kErrorNoReply),
        QStringLiteral("the server %1 left the bus without answering").arg(server));
}

// Answers met while creating that a later attempt may not meet: a server that has served its
// client or is just ending, a name between two owners.
bool TransientCreationError(const QString& name) {
    return name == QLatin1String(automation::kErrorSingleUse) ||
           name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
           name == QLatin1String(kErrorServiceUnknown) || name == QLatin1String(kErrorNoReply) ||
           name == QLatin1String("org.freedesktop.DBus.Error.UnknownObject");
}

// The bus knows how to start `busName`: an unknown service then is a passing state.
bool Activatable(QDBusConnection& connection, const QString& busName) {
    const QDBusReply<QStringList> names = connection.interface()->activatableServiceNames();
    return names.isValid() && names.value().contains(busName);
}

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant ToQVariant(const Value& value) {
    return std::visit(
        [](const auto& v) -> QVariant {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::string>)
                return ToQString(v);
            else if constexpr (std::is_same_v<T, std::int16_t>)
                return QVariant::fromValue<short>(v);
            else if constexpr (std::is_same_v<T, std::int32_t>)
                return QVariant::fromValue<int>(v);
            else
                return QVariant::fromValue<bool>(v);
        },
        value);
}

Value FromQVariant(const QVariant& raw) {
    const QVariant value = raw.metaType() == QMetaType::fromType<QDBusVariant>()
                               ? raw.value<QDBusVariant>().variant()
                               : raw;
    switch (value.metaType().id()) {
    case QMetaType::Short:
        return static_cast<std::int16_t>(value.value<short>());
    case QMetaType::Int:
        return static_cast<std::int32_t>(value.toInt());
    case QMetaType::Bool:
        return value.toBool();
    default:
        return value.toString().toStdString();
    }
}

// Dispatch errors carry their HRESULT at the start of the text ("0x80020005: ..."). A name
// without owner is an unregistered class while creating, a server gone afterwards.
HRESULT ErrorCode(const QDBusMessage& reply, bool creating = false) {
    const QString name = reply.errorName();
    if (name.startsWith(QLatin1String("ZEPH.VORTAN.Error."))) {
        bool ok = false;
        const uint code = reply.errorMessage().left(10).toUInt(&ok, 16);
        if (ok)
            return static_cast<HRESULT>(code);
        return E_FAIL;
    }
    if (name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown"))
        return creating ? REGDB_E_CLASSNOTREG : RPC_E_DISCONNECTED;
    if (name == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
        name == QLatin1String("org.freedesktop.DBus.Error.Disconnected") ||
        name == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") ||
        name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return RPC_E_DISCONNECTED;
    return E_FAIL;
}

std::string ErrorText(const QDBusMessage& reply) {
    return (reply.errorName() + QLatin1String(": ") + reply.errorMessage()).toStdString();
}

bool ValidProgId(std::string_view progId) {
    if (progId.empty() || progId.front() == '.' || progId.back() == '.')
        return false;
    for (std::size_t i = 0; i < progId.size(); ++i) {
        const char c = progId[i];
        const bool word =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!word && !(c == '.' && progId[i - 1] != '.'))
            return false;
    }
    return true;
}

} // namespace

struct DispatchObject::Impl {
    QDBusConnection connection = QDBusConnection::sessionBus();
    QString server;
    QString path;
    std::string serverName;
    std::string lastError;
    bool released = false;
    std::unique_ptr<ProgressReceiver> progress;

    QDBusMessage Call(const QString& member, const QList<QVariant>& args) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            server, path, QString::fromLatin1(automation::kApplicationInterface), member);
        call.setArguments(args);
        return CallAndWait(connection, call, server);
    }

    bool ConnectProgress(bool on) {
        const QString objectPath = QString::fromLatin1(automation::kApplicationPath);
        const QString interface = QString::fromLatin1(automation::kApplicationInterface);
        const char* slot = SLOT(OnProgress(QString, QString, int));
        if (on)
            return connection.connect(server, objectPath, interface, QStringLiteral("Progress"),
                                      progress.get(), slot);
        return connection.disconnect(server, objectPath, interface, QStringLiteral("Progress"),
                                     progress.get(), slot);
    }
};

DispatchObject::DispatchObject(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

DispatchObject::~DispatchObject() {
    Release();
}

const std::string& DispatchObject::ServerName() const {
    return m_impl->serverName;
}

const std::string& DispatchObject::LastError() const {
    return m_impl->lastError;
}

void DispatchObject::SetProgressHandler(std::function<void(const Progress&)> handler) {
    if (m_impl->progress) {
        m_impl->ConnectProgress(false);
        m_impl->progress.reset();
    }
    if (!handler)
        return;
    m_impl->progress = std::make_unique<ProgressReceiver>(
        [handler = std::move(handler)](const QString& caption, const QString& status, int percent) {
            handler(Progress{caption.toStdString(), status.toStdString(), percent});
        });
    m_impl->ConnectProgress(true);
}

HRESULT DispatchObject::Release() {
    if (m_impl->released)
        return S_OK;
    m_impl->released = true;
    const QDBusMessage reply = m_impl->Call(QStringLiteral("Release"), {});
    if (reply.type() == QDBusMessage::ErrorMessage) {
        m_impl->lastError = ErrorText(reply);
        return ErrorCode(reply);
    }
    return S_OK;
}

HRESULT DispatchObject::GetIDsOfNames(std::span<const std::string> names,
                                      std::vector<DISPID>& dispids) {
    QStringList list;
    for (const std::string& name : names)
        list.push_back(ToQString(name));
    const QDBusMessage reply =
        m_impl->Call(QStringLiteral("GetIDsOfNames"), {QVariant::fromValue(list)});
    if (reply.type() == QDBusMessage::ErrorMessage) {
        m_impl->lastError = ErrorText(reply);
        return ErrorCode(reply);
    }
    dispids.clear();
    const QVariant value = reply.arguments().value(0);
    if (value.metaType() == QMetaType::fromType<QDBusArgument>()) {
        const QDBusArgument array = value.value<QDBusArgument>();
        array.beginArray();
        while (!array.atEnd()) {
            int dispid = 0;
            array >> dispid;
            dispids.push_back(dispid);
        }
        array.endArray();
    } else {
        for (const QVariant& item : value.toList())
            dispids.push_back(item.toInt());
    }
    return S_OK;
}

CallResult DispatchObject::Invoke(DISPID dispid, std::span<const Value> args) {
    CallResult result;
    QVariantList list;
    for (const Value& arg : args)
        list.push_back(ToQVariant(arg));
    const QDBusMessage reply = m_impl->Call(
        QStringLiteral("Invoke"), {QVariant::fromValue<int>(dispid), QVariant::fromValue(list)});
    if (reply.type() == QDBusMessage::ErrorMessage) {
        result.hr = ErrorCode(reply);
        result.error = m_impl->lastError = ErrorText(reply);
        return result;
    }
    result.hr = reply.arguments().value(0).toInt();
    const QVariant outs = reply.arguments().value(1);
    if (outs.metaType() == QMetaType::fromType<QDBusArgument>()) {
        const QDBusArgument array = outs.value<QDBusArgument>();
        array.beginArray();
        while (!array.atEnd()) {
            QDBusVariant item;
            array >> item;
            result.outs.push_back(FromQVariant(item.variant()));
        }
        array.endArray();
    } else {
        for (const QVariant& item : outs.toList())
            result.outs.push_back(FromQVariant(item));
    }
    return result;
}

CallResult DispatchObject::Invoke(std::string_view name, std::span<const Value> args) {
    std::vector<DISPID> dispids;
    const std::string names[] = {std::string(name)};
    if (const HRESULT hr = GetIDsOfNames(names, dispids); FAILED(hr) || dispids.size() != 1)
        return CallResult{FAILED(hr) ? hr : DISP_E_UNKNOWNNAME, {}, m_impl->lastError};
    return Invoke(dispids.front(), args);
}

CallResult DispatchObject::CallNamed(std::string_view name, std::vector<Value> args) {
    CallResult result;
    QList<QVariant> list;
    for (const Value& arg : args)
        list.push_back(ToQVariant(arg));
    const QDBusMessage reply = m_impl->Call(ToQString(name), list);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        result.hr = ErrorCode(reply);
        result.error = m_impl->lastError = ErrorText(reply);
        return result;
    }
    const QList<QVariant> values = reply.arguments();
    result.hr = values.value(0).toInt();
    for (qsizetype i = 1; i < values.size(); ++i)
        result.outs.push_back(FromQVariant(values[i]));
    return result;
}

namespace {

std::string S(std::string_view text) {
    return std::string(text);
}

// Copies the outputs of a successful call into the caller's variables, in order.
class Outputs final {
public:
    explicit Outputs(const CallResult& result) : m_result(result) {}
    bool Ok() const { return m_result.error.empty(); }
    void Next(SHORT* target) {
        if (const auto* v = Take<std::int16_t>(); v && target)
            *target = *v;
    }
    void Next(LONG* target) {
        if (const auto* v = Take<std::int32_t>(); v && target)
            *target = *v;
    }
    void Next(std::string* target) {
        if (const auto* v = Take<std::string>(); v && target)
            *target = *v;
    }

private:
    template <typename T>
    const T* Take() {
        if (!Ok() || m_index >= m_result.outs.size())
            return nullptr;
        return std::get_if<T>(&m_result.outs[m_index++]);
    }

    const CallResult& m_result;
    std::size_t m_index = 0;
};

} // namespace

HRESULT DispatchObject::ReadFile(std::string_view controllerName, std::string_view profileFile,
                                 std::string_view profileSection, std::string_view localDirectory,
                                 std::string_view fileList, SHORT* pResult) {
    const CallResult r = CallNamed("ReadFile", {S(controllerName), S(profileFile),
                                                S(profileSection), S(localDirectory), S(fileList)});
    Outputs(r).Next(pResult);
    return r.hr;
}

HRESULT DispatchObject::WriteFile(std::string_view controllerName, std::string_view profileFile,
                                  std::string_view profileSection, std::string_view unused,
                                  std::string_view fileList, SHORT* pResult) {
    const CallResult r = CallNamed("WriteFile", {S(controllerName), S(profileFile),
                                                 S(profileSection), S(unused), S(fileList)});
    Outputs(r).Next(pResult);
    return r.hr;
}

HRESULT DispatchObject::Format(SHORT* pSelector, std::string_view controllerName,
                               std::string_view profileFile, std::string_view profileSection,
                               SHORT* pResult) {
    const CallResult r =
        CallNamed("Format", {static_cast<std::int16_t>(pSelector ? *pSelector : 0),
                             S(controllerName), S(profileFile), S(profileSection)});
    Outputs out(r);
    out.Next(pSelector);
    out.Next(pResult);
    return r.hr;
}

HRESULT DispatchObject::ShowFileSelectDialog(std::string_view profileFile,
                                             std::string_view profileSection,
                                             std::string_view initialDirectory, LONG openFileFlags,
                                             LONG controlFlags, std::string* pChosenFiles,
                                             SHORT* pDialogResult) {
    const CallResult r =
        CallNamed("ShowFileSelectDialog", {S(profileFile), S(profileSection), S(initialDirectory),
                                           static_cast<std::int32_t>(openFileFlags),
                                           static_cast<std::int32_t>(controlFlags)});
    Outputs out(r);
    out.Next(pChosenFiles);
    out.Next(pDialogResult);
    return r.hr;
}

HRESULT DispatchObject::ShowDirectorySelectDialog(std::string_view profileFile,
                                                  std::string_view profileSection,
                                                  std::string_view text,
                                                  std::string* pChosenDirectory,
                                                  SHORT* pDialogResult) {
    const CallResult r =
        CallNamed("ShowDirectorySelectDialog", {S(profileFile), S(profileSection), S(text)});
    Outputs out(r);
    out.Next(pChosenDirectory);
    out.Next(pDialogResult);
    return r.hr;
}

HRESULT DispatchObject::GetLastErrorCode(LONG* pCode, SHORT* pValue1, SHORT* pValue2,
                                         SHORT* pValue3) {
    const CallResult r = CallNamed("GetLastErrorCode", {});
    Outputs out(r);
    out.Next(pCode);
    out.Next(pValue1);
    out.Next(pValue2);
    out.Next(pValue3);
    return r.hr;
}

HRESULT DispatchObject::CloseServer() {
    return CallNamed("CloseServer", {}).hr;
}

HRESULT DispatchObject::RemoveFiles(std::string_view controllerName, std::string_view profileFile,
                                    std::string_view profileSection, std::string_view fileList,
                                    SHORT* pResult) {
    const CallResult r = CallNamed(
        "RemoveFiles", {S(controllerName), S(profileFile), S(profileSection), S(fileList)});
    Outputs(r).Next(pResult);
    return r.hr;
}

HRESULT DispatchObject::Format2(SHORT* pSelector, std::string_view controllerName,
                                std::string_view profileFile, std::string_view profileSection,
                                bool option, SHORT* pResult) {
    const CallResult r =
        CallNamed("Format2", {static_cast<std::int16_t>(pSelector ? *pSelector : 0),
                              S(controllerName), S(profileFile), S(profileSection), option});
    Outputs out(r);
    out.Next(pSelector);
    out.Next(pResult);
    return r.hr;
}

HRESULT DispatchObject::WriteFile2(std::string_view controllerName, std::string_view profileFile,
                                   std::string_view profileSection, std::string_view fileList,
                                   bool option, SHORT* pResult) {
    const CallResult r = CallNamed(
        "WriteFile2", {S(controllerName), S(profileFile), S(profileSection), S(fileList), option});
    Outputs(r).Next(pResult);
    return r.hr;
}

HRESULT DispatchObject::ReadFile2(std::string_view controllerName, std::string_view profileFile,
                                  std::string_view profileSection, std::string_view localDirectory,
                                  std::string_view fileList, bool option, SHORT* pResult) {
    const CallResult r =
        CallNamed("ReadFile2", {S(controllerName), S(profileFile), S(profileSection),
                                S(localDirectory), S(fileList), option});
    Outputs(r).Next(pResult);
    return r.hr;
}

HRESULT DispatchObject::RemoveFiles2(std::string_view controllerName, std::string_view profileFile,
                                     std::string_view profileSection, std::string_view fileList,
                                     bool option, SHORT* pResult) {
    const CallResult r = CallNamed("RemoveFiles2", {S(controllerName), S(profileFile),
                                                    S(profileSection), S(fileList), option});
    Outputs(r).Next(pResult);
    return r.hr;
}

HRESULT CreateObject(std::string_view progIdOrClsid, std::unique_ptr<DispatchObject>& object,
                     std::string* error, std::chrono::milliseconds timeout) {
    object.reset();
    const auto fail = [error](HRESULT hr, std::string text) {
        if (error != nullptr)
            *error = std::move(text);
        return hr;
    };

    std::string progId;
    if (const auto clsid = com::ParseGuid(progIdOrClsid)) {
        if (!(*clsid == CLSID_VortanApplication))
            return fail(REGDB_E_CLASSNOTREG,
                        "no server is known for the class " + com::FormatGuid(*clsid));
        progId = kVortanApplicationProgId;
    } else if (ValidProgId(progIdOrClsid)) {
        progId = std::string(progIdOrClsid);
    } else {
        return fail(CO_E_CLASSSTRING,
                    "\"" + std::string(progIdOrClsid) + "\" is neither a ProgID nor a class id");
    }

    // QtDBus queues these from its own thread when a reply meets a connection that is going
    // away; unregistered, they are dropped with a warning on stderr.
    qRegisterMetaType<QDBusError>();
    qRegisterMetaType<QDBusMessage>();
    auto impl = std::make_unique<DispatchObject::Impl>();
    if (!impl->connection.isConnected())
        return fail(RPC_E_DISCONNECTED, "the session bus cannot be reached");
    const QString busName = QString::fromStdString(automation::BusNameFromProgId(progId));

    // Clients that start together contend for each new server: every one but the first gets
    // an answer that only says "not this one". Try again after a pause until the deadline.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::minstd_rand random(std::random_device{}());
    int backoffMs = kFirstBackoffMs;
    QDBusMessage reply;
    for (;;) {
        const QDBusMessage call = QDBusMessage::createMethodCall(
            busName, QString::fromLatin1(automation::kClassFactoryPath),
            QString::fromLatin1(automation::kClassFactoryInterface),
            QStringLiteral("CreateInstance"));
        // Starting a server may take its time; the deadline bounds the retries, not this.
        reply = CallAndWait(impl->connection, call);
        if (reply.type() != QDBusMessage::ErrorMessage)
            break;
        const QString name = reply.errorName();
        if (!TransientCreationError(name) || !impl->connection.isConnected())
            break;
        if (name == QLatin1String(kErrorServiceUnknown) && !Activatable(impl->connection, busName))
            break; // nothing is registered under the name: no retry makes it so
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            break;
        std::uniform_int_distribution<int> spread(backoffMs / 2, backoffMs + backoffMs / 2);
        const auto pause = std::min<std::chrono::steady_clock::duration>(
            std::chrono::milliseconds(spread(random)), deadline - now);
        QThread::msleep(static_cast<unsigned long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(pause).count()));
        backoffMs = std::min(backoffMs * 2, kLongestBackoffMs);
    }
    if (reply.type() == QDBusMessage::ErrorMessage)
        return fail(ErrorCode(reply, true), ErrorText(reply));

    impl->server = reply.service();
    impl->serverName = impl->server.toStdString();
    impl->path = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (impl->server.isEmpty() || impl->path.isEmpty())
        return fail(E_FAIL, "the server's answer names no object");
    object.reset(new DispatchObject(std::move(impl)));
    return S_OK;
}

} // namespace vortan::client
