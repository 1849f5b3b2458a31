#pragma once

// The client side of the VORTAN automation object: creates the object (which starts a server
// process of its own on the session bus) and calls its twelve methods, late-bound by name or
// DISPID, or through typed wrappers. Calls wait without a time limit (a read may wait for a
// person to answer a question), but end with RPC_E_DISCONNECTED when the bus connection closes
// or the server leaves the bus. Each object has a private bus connection (libdbus) that is
// read only while one of its calls waits: no event loop and no Qt are needed, and an object is
// used from one thread at a time.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "vortan/WinTypes.h"    // LONG, SHORT, DISPID, VARIANT_BOOL
#include "vortan/com/HResult.h" // HRESULT codes

// What libvortan-client exports; the rest of the library stays private to it.
#ifndef VORTAN_CLIENT_API
#define VORTAN_CLIENT_API __attribute__((visibility("default")))
#endif

namespace vortan::client {

// An argument or result of a late-bound call: D-Bus b, n, i or s.
using Value = std::variant<bool, std::int16_t, std::int32_t, std::string>;

struct CallResult {
    // The method's return code, or why the call did not happen (DISP_E_*, RPC_E_DISCONNECTED,
    // E_FAIL); `error` then has the server's or the bus's text.
    HRESULT hr = S_OK;
    std::vector<Value> outs; // out- and in/out parameters in declaration order
    std::string error;
};

// What the server's progress window shows: its caption, status line and bar (0 to 100).
struct Progress {
    std::string caption;
    std::string status;
    int percent = 0;
};

// The call could not reach the object: the server is gone or the bus failed.
inline constexpr HRESULT RPC_E_DISCONNECTED = MakeHResult(0x80010108);

class VORTAN_CLIENT_API DispatchObject final {
public:
    ~DispatchObject(); // releases the server's object
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    // The server's unique bus name: every call after the creation goes there.
    const std::string& ServerName() const;

    // DISPIDs of method names (any case); DISP_E_UNKNOWNNAME if one is unknown.
    HRESULT GetIDsOfNames(std::span<const std::string> names, std::vector<DISPID>& dispids);
    // Every parameter gets a value, out-parameters included (their initial value).
    CallResult Invoke(DISPID dispid, std::span<const Value> args);
    CallResult Invoke(std::string_view name, std::span<const Value> args);

    // The twelve methods; each returns the method's return code or the failure of the call
    // (LastError() then says what happened). Out-parameters are written only on success.
    HRESULT ReadFile(std::string_view controllerName, std::string_view profileFile,
                     std::string_view profileSection, std::string_view localDirectory,
                     std::string_view fileList, SHORT* pResult);
    HRESULT WriteFile(std::string_view controllerName, std::string_view profileFile,
                      std::string_view profileSection, std::string_view unused,
                      std::string_view fileList, SHORT* pResult);
    HRESULT Format(SHORT* pSelector, std::string_view controllerName, std::string_view profileFile,
                   std::string_view profileSection, SHORT* pResult);
    HRESULT ShowFileSelectDialog(std::string_view profileFile, std::string_view profileSection,
                                 std::string_view initialDirectory, LONG openFileFlags,
                                 LONG controlFlags, std::string* pChosenFiles,
                                 SHORT* pDialogResult);
    HRESULT ShowDirectorySelectDialog(std::string_view profileFile, std::string_view profileSection,
                                      std::string_view text, std::string* pChosenDirectory,
                                      SHORT* pDialogResult);
    HRESULT GetLastErrorCode(LONG* pCode, SHORT* pValue1, SHORT* pValue2, SHORT* pValue3);
    HRESULT CloseServer();
    HRESULT RemoveFiles(std::string_view controllerName, std::string_view profileFile,
                        std::string_view profileSection, std::string_view fileList, SHORT* pResult);
    HRESULT Format2(SHORT* pSelector, std::string_view controllerName, std::string_view profileFile,
                    std::string_view profileSection, bool option, SHORT* pResult);
    HRESULT WriteFile2(std::string_view controllerName, std::string_view profileFile,
                       std::string_view profileSection, std::string_view fileList, bool option,
                       SHORT* pResult);
    HRESULT ReadFile2(std::string_view controllerName, std::string_view profileFile,
                      std::string_view profileSection, std::string_view localDirectory,
                      std::string_view fileList, bool option, SHORT* pResult);
    HRESULT RemoveFiles2(std::string_view controllerName, std::string_view profileFile,
                         std::string_view profileSection, std::string_view fileList, bool option,
                         SHORT* pResult);

    // Gives the object back now (the destructor does it otherwise). S_OK, or the call's
    // failure.
    HRESULT Release();

    const std::string& LastError() const;

    // Calls `handler` with each Progress signal the server sends while a call of this object
    // waits for its reply, in order, before the call returns. An empty handler stops it.
    void SetProgressHandler(std::function<void(const Progress&)> handler);

private:
    struct Impl;
    explicit DispatchObject(std::unique_ptr<Impl> impl);
    CallResult CallNamed(std::string_view name, std::vector<Value> args);
    friend HRESULT CreateObject(std::string_view, std::unique_ptr<DispatchObject>&, std::string*,
                                std::chrono::milliseconds);

    std::unique_ptr<Impl> m_impl;
};

inline constexpr std::chrono::milliseconds kDefaultCreateTimeout{60 * 1000};

// Creates the automation object named by its ProgID ("ZEPH.VORTAN.Application.7") or its
// class id ("{0100003B-2409-43F1-8BAC-7D0643B6159E}"): the session bus starts a server for
// it. A server that has already served its client or is just ending is passed over and a new
// one started, after a random pause that grows with each try, until `timeout` is over.
// Failures: CO_E_CLASSSTRING (neither a ProgID nor a known class id), REGDB_E_CLASSNOTREG
// (the bus knows no such server), RPC_E_DISCONNECTED (no bus, or no server in time), E_FAIL;
// `error` says more.
VORTAN_CLIENT_API HRESULT CreateObject(std::string_view progIdOrClsid,
                                       std::unique_ptr<DispatchObject>& object,
                                       std::string* error = nullptr,
                                       std::chrono::milliseconds timeout = kDefaultCreateTimeout);

} // namespace vortan::client
