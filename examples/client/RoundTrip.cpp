// Writes local files into a controller's memory and reads them back into a directory, with
// the VORTAN client library: each transfer on an object (and a server process) of its own,
// as the server serves one transfer per process.
//
//   round-trip CONTROLLER DIRECTORY FILE...
//
// Exit code 0 when both transfers report success; the files then lie in DIRECTORY.

#include <cstdio>
#include <memory>
#include <string>

#include "vortan/AutomationClient.h"

namespace {

constexpr const char* kProgId = "ZEPH.VORTAN.Application.7";

std::unique_ptr<vortan::client::DispatchObject> Create() {
    std::unique_ptr<vortan::client::DispatchObject> object;
    std::string error;
    const HRESULT hr = vortan::client::CreateObject(kProgId, object, &error);
    if (FAILED(hr))
        std::fprintf(stderr, "round-trip: no VORTAN server (0x%08X): %s\n",
                     static_cast<unsigned>(hr), error.c_str());
    return object;
}

// Prints the outcome; after a transfer that did not succeed, the controller's own error,
// which the same server still knows.
bool Report(const char* what, HRESULT hr, SHORT result, vortan::client::DispatchObject& object) {
    std::printf("%s: code=0x%08X result=%d\n", what, static_cast<unsigned>(hr), result);
    if (FAILED(hr) && !object.LastError().empty())
        std::fprintf(stderr, "round-trip: %s\n", object.LastError().c_str());
    if (hr == S_OK && result == 1)
        return true;
    LONG code = 0;
    SHORT values[3] = {};
    if (object.GetLastErrorCode(&code, &values[0], &values[1], &values[2]) == S_OK)
        std::printf("%s: controller error %ld (%d %d %d)\n", what, static_cast<long>(code),
                    values[0], values[1], values[2]);
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s CONTROLLER DIRECTORY FILE...\n", argv[0]);
        return 2;
    }
    const std::string controller = argv[1];
    const std::string directory = argv[2];
    // Local paths go as given: they must be absolute, the server runs elsewhere.
    std::string paths;
    std::string names;
    for (int i = 3; i < argc; ++i) {
        const std::string path = argv[i];
        paths += (paths.empty() ? "" : ";") + path;
        names += (names.empty() ? "" : ";") + path.substr(path.find_last_of('/') + 1);
    }

    const auto writer = Create();
    if (!writer)
        return 1;
    SHORT result = 0;
    HRESULT hr = writer->WriteFile2(controller, "", "", paths, false, &result);
    if (!Report("write", hr, result, *writer))
        return 1;

    const auto reader = Create();
    if (!reader)
        return 1;
    result = 0;
    hr = reader->ReadFile2(controller, "", "", directory, names, false, &result);
    return Report("read", hr, result, *reader) ? 0 : 1;
}
