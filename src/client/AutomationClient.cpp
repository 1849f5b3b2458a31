#include "vortan/AutomationClient.h"

#include <algorithm>
#include <random>
#include <thread>
#include <utility>

#include <dbus/dbus.h>

#include "automation/dbus/BusContract.h"
#include "client/SessionConnection.h"
#include "vortan/ContractIds.h"
#include "vortan/com/Guid.h"
#include "vortan/text/Utf.h"

namespace vortan::client {

namespace {

// Back-off between creation attempts: from the first to the longest pause, each drawn at
// random around the current one so that clients that met once do not meet again.
constexpr int kFirstBackoffMs = 20;
constexpr int kLongestBackoffMs = 1000;

constexpr std::string_view kErrorServiceUnknown = "org.freedesktop.DBus.Error.ServiceUnknown";
constexpr std::string_view kErrorNoReply = "org.freedesktop.DBus.Error.NoReply";

// Answers met while creating that a later attempt may not meet: a server that has served its
// client or is just ending, a name between two owners.
bool TransientCreationError(std::string_view name) {
    return name == automation::kErrorSingleUse ||
           name == "org.freedesktop.DBus.Error.NameHasNoOwner" || name == kErrorServiceUnknown ||
           name == kErrorNoReply || name == "org.freedesktop.DBus.Error.UnknownObject";
}

MessagePtr NewCall(const char* destination, const char* path, const char* interface,
                   const char* member) {
    return MessagePtr(dbus_message_new_method_call(destination, path, interface, member));
}

BusReply OutOfMemory() {
    return BusReply{nullptr, DBUS_ERROR_NO_MEMORY, "out of memory"};
}

// The bus takes UTF-8 only (and ends a program that hands it other bytes): invalid sequences
// become U+FFFD, as everywhere in this system.
std::string BusText(const std::string& text) {
    if (dbus_validate_utf8(text.c_str(), nullptr))
        return text;
    return text::Utf16ToUtf8(text::Utf8ToUtf16(text));
}

bool AppendText(DBusMessageIter* args, const std::string& text) {
    const std::string valid = BusText(text);
    const char* data = valid.c_str();
    return dbus_message_iter_append_basic(args, DBUS_TYPE_STRING, &data);
}

bool AppendValue(DBusMessageIter* args, const Value& value) {
    return std::visit(
        [args](const auto& v) -> bool {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::string>) {
                return AppendText(args, v);
            } else if constexpr (std::is_same_v<T, std::int16_t>) {
                const dbus_int16_t n = v;
                return dbus_message_iter_append_basic(args, DBUS_TYPE_INT16, &n);
            } else if constexpr (std::is_same_v<T, std::int32_t>) {
                const dbus_int32_t n = v;
                return dbus_message_iter_append_basic(args, DBUS_TYPE_INT32, &n);
            } else {
                const dbus_bool_t b = v ? TRUE : FALSE;
                return dbus_message_iter_append_basic(args, DBUS_TYPE_BOOLEAN, &b);
            }
        },
        value);
}

// `av`: each value in a variant of its own type.
bool AppendVariants(DBusMessageIter* args, std::span<const Value> values) {
    DBusMessageIter array;
    if (!dbus_message_iter_open_container(args, DBUS_TYPE_ARRAY, DBUS_TYPE_VARIANT_AS_STRING,
                                          &array))
        return false;
    for (const Value& value : values) {
        const char* type = std::visit(
            [](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::string>)
                    return DBUS_TYPE_STRING_AS_STRING;
                else if constexpr (std::is_same_v<T, std::int16_t>)
                    return DBUS_TYPE_INT16_AS_STRING;
                else if constexpr (std::is_same_v<T, std::int32_t>)
                    return DBUS_TYPE_INT32_AS_STRING;
                else
                    return DBUS_TYPE_BOOLEAN_AS_STRING;
            },
            value);
        DBusMessageIter variant;
        if (!dbus_message_iter_open_container(&array, DBUS_TYPE_VARIANT, type, &variant)) {
            dbus_message_iter_abandon_container(args, &array);
            return false;
        }
        if (!AppendValue(&variant, value) || !dbus_message_iter_close_container(&array, &variant)) {
            dbus_message_iter_abandon_container_if_open(&array, &variant);
            dbus_message_iter_abandon_container(args, &array);
            return false;
        }
    }
    return dbus_message_iter_close_container(args, &array);
}

// A result as the caller's types hold it: n, i and b as they are, variants unwrapped, any
// other basic type as its text.
Value ReadValue(DBusMessageIter* args) {
    const int type = dbus_message_iter_get_arg_type(args);
    if (type == DBUS_TYPE_VARIANT) {
        DBusMessageIter inner;
        dbus_message_iter_recurse(args, &inner);
        return ReadValue(&inner);
    }
    if (!dbus_type_is_basic(type))
        return std::string();
    DBusBasicValue v{};
    dbus_message_iter_get_basic(args, &v);
    switch (type) {
    case DBUS_TYPE_INT16:
        return static_cast<std::int16_t>(v.i16);
    case DBUS_TYPE_INT32:
        return static_cast<std::int32_t>(v.i32);
    case DBUS_TYPE_BOOLEAN:
        return v.bool_val != 0;
    case DBUS_TYPE_STRING:
    case DBUS_TYPE_OBJECT_PATH:
    case DBUS_TYPE_SIGNATURE:
        return std::string(v.str);
    case DBUS_TYPE_BYTE:
        return std::to_string(v.byt);
    case DBUS_TYPE_UINT16:
        return std::to_string(v.u16);
    case DBUS_TYPE_UINT32:
        return std::to_string(v.u32);
    case DBUS_TYPE_INT64:
        return std::to_string(v.i64);
    case DBUS_TYPE_UINT64:
        return std::to_string(v.u64);
    case DBUS_TYPE_DOUBLE:
        return std::to_string(v.dbl);
    default:
        return std::string();
    }
}

// The return code at the start of a method's answer.
HRESULT ReadCode(DBusMessageIter* args) {
    const Value code = ReadValue(args);
    if (const auto* i4 = std::get_if<std::int32_t>(&code))
        return static_cast<HRESULT>(*i4);
    if (const auto* i2 = std::get_if<std::int16_t>(&code))
        return static_cast<HRESULT>(*i2);
    return S_OK;
}

// "0x80020005" (or without the 0x) as the whole of `digits`.
bool ParseHexCode(std::string_view digits, std::uint32_t& code) {
    while (!digits.empty() && digits.front() == ' ')
        digits.remove_prefix(1);
    while (!digits.empty() && digits.back() == ' ')
        digits.remove_suffix(1);
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits.remove_prefix(2);
    if (digits.empty() || digits.size() > 8)
        return false;
    code = 0;
    for (const char c : digits) {
        const int nibble = c >= '0' && c <= '9'   ? c - '0'
                           : c >= 'a' && c <= 'f' ? c - 'a' + 10
                           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                  : -1;
        if (nibble < 0)
            return false;
        code = code << 4 | static_cast<std::uint32_t>(nibble);
    }
    return true;
}

// Dispatch errors carry their HRESULT at the start of the text ("0x80020005: ..."). A name
// without owner is an unregistered class while creating, a server gone afterwards.
HRESULT ErrorCode(const BusReply& reply, bool creating = false) {
    const std::string_view name = reply.errorName;
    if (name.starts_with("ZEPH.VORTAN.Error.")) {
        std::uint32_t code = 0;
        if (ParseHexCode(std::string_view(reply.errorText).substr(0, 10), code))
            return static_cast<HRESULT>(code);
        return E_FAIL;
    }
    if (name == kErrorServiceUnknown)
        return creating ? REGDB_E_CLASSNOTREG : RPC_E_DISCONNECTED;
    if (name == kErrorNoReply || name == "org.freedesktop.DBus.Error.Disconnected" ||
        name == "org.freedesktop.DBus.Error.UnknownObject" ||
        name == "org.freedesktop.DBus.Error.NameHasNoOwner")
        return RPC_E_DISCONNECTED;
    return E_FAIL;
}

std::string ErrorText(const BusReply& reply) {
    return reply.errorName + ": " + reply.errorText;
}

// The bus knows how to start `busName`: an unknown service then is a passing state.
bool Activatable(SessionConnection& connection, const std::string& busName) {
    const MessagePtr call =
        NewCall(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, "ListActivatableNames");
    if (!call)
        return false;
    const BusReply reply = connection.Call(call.get());
    if (reply.Failed())
        return false;
    DBusMessageIter args;
    DBusMessageIter names;
    if (!dbus_message_iter_init(reply.message.get(), &args) ||
        dbus_message_iter_get_arg_type(&args) != DBUS_TYPE_ARRAY)
        return false;
    for (dbus_message_iter_recurse(&args, &names);
         dbus_message_iter_get_arg_type(&names) == DBUS_TYPE_STRING;
         dbus_message_iter_next(&names)) {
        const char* name = nullptr;
        dbus_message_iter_get_basic(&names, &name);
        if (busName == name)
            return true;
    }
    return false;
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
    std::unique_ptr<SessionConnection> connection;
    std::string server;
    std::string path;
    std::string lastError;
    bool released = false;

    // Calls `member` of the object with the arguments `append` adds.
    template <typename Append>
    BusReply Call(const char* member, Append&& append) {
        const MessagePtr call =
            NewCall(server.c_str(), path.c_str(), automation::kApplicationInterface, member);
        if (!call)
            return OutOfMemory();
        DBusMessageIter args;
        dbus_message_iter_init_append(call.get(), &args);
        if (!append(&args))
            return OutOfMemory();
        return connection->Call(call.get());
    }

    // A failed call's code; its text becomes the last error.
    HRESULT Failure(const BusReply& reply) {
        lastError = ErrorText(reply);
        return ErrorCode(reply);
    }
};

DispatchObject::DispatchObject(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

DispatchObject::~DispatchObject() {
    Release();
}

const std::string& DispatchObject::ServerName() const {
    return m_impl->server;
}

const std::string& DispatchObject::LastError() const {
    return m_impl->lastError;
}

void DispatchObject::SetProgressHandler(std::function<void(const Progress&)> handler) {
    m_impl->connection->SetProgressHandler(std::move(handler));
}

HRESULT DispatchObject::Release() {
    if (m_impl->released)
        return S_OK;
    m_impl->released = true;
    const BusReply reply = m_impl->Call("Release", [](DBusMessageIter*) { return true; });
    return reply.Failed() ? m_impl->Failure(reply) : S_OK;
}

HRESULT DispatchObject::GetIDsOfNames(std::span<const std::string> names,
                                      std::vector<DISPID>& dispids) {
    const BusReply reply = m_impl->Call("GetIDsOfNames", [names](DBusMessageIter* args) {
        DBusMessageIter array;
        if (!dbus_message_iter_open_container(args, DBUS_TYPE_ARRAY, DBUS_TYPE_STRING_AS_STRING,
                                              &array))
            return false;
        for (const std::string& name : names) {
            if (!AppendText(&array, name)) {
                dbus_message_iter_abandon_container(args, &array);
                return false;
            }
        }
        return static_cast<bool>(dbus_message_iter_close_container(args, &array));
    });
    if (reply.Failed())
        return m_impl->Failure(reply);
    dispids.clear();
    DBusMessageIter args;
    DBusMessageIter array;
    if (dbus_message_iter_init(reply.message.get(), &args) &&
        dbus_message_iter_get_arg_type(&args) == DBUS_TYPE_ARRAY) {
        for (dbus_message_iter_recurse(&args, &array);
             dbus_message_iter_get_arg_type(&array) == DBUS_TYPE_INT32;
             dbus_message_iter_next(&array)) {
            dbus_int32_t dispid = 0;
            dbus_message_iter_get_basic(&array, &dispid);
            dispids.push_back(dispid);
        }
    }
    return S_OK;
}

CallResult DispatchObject::Invoke(DISPID dispid, std::span<const Value> args) {
    CallResult result;
    const BusReply reply = m_impl->Call("Invoke", [dispid, args](DBusMessageIter* out) {
        const dbus_int32_t id = dispid;
        return dbus_message_iter_append_basic(out, DBUS_TYPE_INT32, &id) &&
               AppendVariants(out, args);
    });
    if (reply.Failed()) {
        result.hr = m_impl->Failure(reply);
        result.error = m_impl->lastError;
        return result;
    }
    DBusMessageIter values;
    if (!dbus_message_iter_init(reply.message.get(), &values))
        return result;
    result.hr = ReadCode(&values);
    if (dbus_message_iter_next(&values) &&
        dbus_message_iter_get_arg_type(&values) == DBUS_TYPE_ARRAY) {
        DBusMessageIter outs;
        for (dbus_message_iter_recurse(&values, &outs);
             dbus_message_iter_get_arg_type(&outs) != DBUS_TYPE_INVALID;
             dbus_message_iter_next(&outs))
            result.outs.push_back(ReadValue(&outs));
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
    const std::string member(name);
    const BusReply reply = m_impl->Call(member.c_str(), [&args](DBusMessageIter* out) {
        return std::all_of(args.begin(), args.end(),
                           [out](const Value& arg) { return AppendValue(out, arg); });
    });
    if (reply.Failed()) {
        result.hr = m_impl->Failure(reply);
        result.error = m_impl->lastError;
        return result;
    }
    DBusMessageIter values;
    if (!dbus_message_iter_init(reply.message.get(), &values))
        return result;
    result.hr = ReadCode(&values);
    while (dbus_message_iter_next(&values))
        result.outs.push_back(ReadValue(&values));
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
        return fail(CO_E_CLASSSTRING, std::string("\"")
                                          .append(progIdOrClsid)
                                          .append("\" is neither a ProgID nor a class id"));
    }
    const std::string busName = automation::BusNameFromProgId(progId);
    if (!dbus_validate_bus_name(busName.c_str(), nullptr))
        return fail(E_FAIL, "the ProgID " + progId + " gives no valid bus name");

    auto impl = std::make_unique<DispatchObject::Impl>();
    std::string why;
    impl->connection = SessionConnection::Open(why);
    if (!impl->connection)
        return fail(RPC_E_DISCONNECTED, "the session bus cannot be reached: " + why);

    // Clients that start together contend for each new server: every one but the first gets
    // an answer that only says "not this one". Try again after a pause until the deadline.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::minstd_rand random(std::random_device{}());
    int backoffMs = kFirstBackoffMs;
    BusReply reply;
    for (;;) {
        const MessagePtr call = NewCall(busName.c_str(), automation::kClassFactoryPath,
                                        automation::kClassFactoryInterface, "CreateInstance");
        // Starting a server may take its time; the deadline bounds the retries, not this.
        reply = call ? impl->connection->Call(call.get()) : OutOfMemory();
        if (!reply.Failed())
            break;
        if (!TransientCreationError(reply.errorName) || !impl->connection->Connected())
            break;
        if (reply.errorName == kErrorServiceUnknown && !Activatable(*impl->connection, busName))
            break; // nothing is registered under the name: no retry makes it so
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            break;
        std::uniform_int_distribution<int> spread(backoffMs / 2, backoffMs + backoffMs / 2);
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            std::chrono::milliseconds(spread(random)), deadline - now));
        backoffMs = std::min(backoffMs * 2, kLongestBackoffMs);
    }
    if (reply.Failed())
        return fail(ErrorCode(reply, true), ErrorText(reply));

    const char* sender = dbus_message_get_sender(reply.message.get());
    const char* path = nullptr;
    if (sender == nullptr ||
        !dbus_message_get_args(reply.message.get(), nullptr, DBUS_TYPE_OBJECT_PATH, &path,
                               DBUS_TYPE_INVALID))
        return fail(E_FAIL, "the server's answer names no object");
    impl->server = sender;
    impl->path = path;
    impl->connection->WatchServer(impl->server);
    object.reset(new DispatchObject(std::move(impl)));
    return S_OK;
}

} // namespace vortan::client
