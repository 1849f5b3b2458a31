// The whole way of a transfer: the client library activates the real vortan on a private
// session bus, which moves the files to and from the simulated board; next to it, in the same
// run and the same directory tree, cp and cp + fsync of the same files. 1 KiB files by 1, 100
// and 1000 and one 200 MiB file, written and read, with no profile and with a 64 KiB one.
// Also one `vortanctl write` of a 1 KiB file next to `dbus-send` activating a libdbus server
// that does nothing, and the server's peak memory.
//
//   bench_end_to_end [base directory] [rounds] [only]   (default /dev/shm, else the temp
//   dir; 10 rounds; only the cases whose name starts with `only`, e.g. "1000 x" or "vortanctl")
//
// The 200 MiB case runs min(rounds, 3) times.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include "BenchBus.h"
#include "vortan/AutomationClient.h"

namespace fs = std::filesystem;
using vortan::bench::NowMs;
using vortan::bench::RunProgram;

namespace {

constexpr const char* kBoard = "BENCH";
constexpr const char* kSection = "Texte";

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// 64 KiB: filler sections first, so the texts are at the end as a scan would find them last.
std::string WriteProfile(const std::string& path) {
    std::string text;
    for (int i = 0; text.size() < 60 * 1024; ++i) {
        if (i % 50 == 0)
            text.append("[Filler").append(std::to_string(i)).append("]\n");
        text.append("key").append(std::to_string(i));
        text.append(" = some display text that no transfer asks for\n");
    }
    text.append("[").append(kSection).append("]\n");
    text.append("5077=Verbinde\n5080=Verbinde mit %s\n5081=Verbunden\n5079=Nicht verbunden\n"
                "5045=Schreibe %d%%\n5048=Schreibe %s\n5046=Lese %d%%\n5049=Lese %s\n");
    text.resize(64 * 1024, '\n');
    std::ofstream(path) << text;
    return path;
}

void ClearDir(const fs::path& dir) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error))
        fs::remove_all(entry.path(), error);
    fs::create_directories(dir);
}

unsigned ServerPid(const std::string& uniqueName) {
    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"))
        << QString::fromStdString(uniqueName));
    return reply.arguments().value(0).toUInt();
}

// Peak resident memory of a process in KiB.
long PeakRssKb(unsigned pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

long g_peakRssKb = 0;

// One call of the real server, creation to release; milliseconds or -1.
double Transfer(bool write, const std::string& profile, const std::string& list,
                const std::string& localDir) {
    const double start = NowMs();
    std::unique_ptr<vortan::client::DispatchObject> object;
    std::string error;
    if (vortan::client::CreateObject("ZEPH.VORTAN.Application.7", object, &error) != S_OK) {
        std::fprintf(stderr, "vortan could not be created: %s\n", error.c_str());
        return -1;
    }
    SHORT flag = 0;
    const HRESULT hr =
        write ? object->WriteFile2(kBoard, profile, kSection, list, true, &flag)
              : object->ReadFile2(kBoard, profile, kSection, localDir, list, true, &flag);
    const double ms = NowMs() - start;
    g_peakRssKb = std::max(g_peakRssKb, PeakRssKb(ServerPid(object->ServerName())));
    object->Release();
    if (hr != S_OK || flag != 1) {
        std::fprintf(stderr, "%s failed: 0x%08X flag %d\n", write ? "write" : "read",
                     static_cast<unsigned>(hr), flag);
        return -1;
    }
    return ms;
}

double Copy(const std::vector<std::string>& files, const fs::path& to, bool sync) {
    ClearDir(to);
    std::vector<std::string> cp{"cp"};
    cp.insert(cp.end(), files.begin(), files.end());
    cp.push_back(to.string());
    std::vector<std::string> fsync{"sync"};
    for (const std::string& file : files)
        fsync.push_back((to / fs::path(file).filename()).string());
    const double start = NowMs();
    if (RunProgram(cp) != 0 || (sync && RunProgram(fsync) != 0))
        return -1;
    return NowMs() - start;
}

struct Row {
    std::string name;
    std::map<std::string, std::vector<double>> ms;
};

double Min(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// Medians, then the same ratios of the minima: on a loaded machine the least disturbed runs.
void PrintRow(Row& row) {
    auto m = [&](const char* key) { return Median(row.ms[key]); };
    auto least = [&](const char* key) { return Min(row.ms[key]); };
    std::printf("%-12s %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f | %5.2f %5.2f %5.2f %5.2f %5.2f\n",
                row.name.c_str(), m("write"), m("write64"), m("read"), m("read64"), m("cp"),
                m("cpsync"), m("write64") / m("write"), m("read64") / m("read"),
                m("write") / m("cp"), m("read") / m("cp"),
                (m("write") + m("read")) / (2 * m("cpsync")));
    std::printf("%-12s %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f | %5.2f %5.2f %5.2f %5.2f %5.2f\n",
                "  (minima)", least("write"), least("write64"), least("read"), least("read64"),
                least("cp"), least("cpsync"), least("write64") / least("write"),
                least("read64") / least("read"), least("write") / least("cp"),
                least("read") / least("cp"),
                (least("write") + least("read")) / (2 * least("cpsync")));
}

} // namespace

int main(int argc, char** argv) {
    const std::string base = argc > 1                       ? argv[1]
                             : fs::is_directory("/dev/shm") ? "/dev/shm"
                                                            : fs::temp_directory_path().string();
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    // Only the cases whose name starts with this ("1000 x", say; "vortanctl" for that line).
    const std::string_view only = argc > 3 ? argv[3] : "";
    const vortan::bench::BenchBus bus(base);
    if (!bus.Ok()) {
        std::fprintf(stderr, "dbus-daemon could not be started\n");
        return 1;
    }
    bus.AddService("org.example.CNullServer", VORTAN_C_NULL_SERVER);
    const fs::path root = bus.Root();
    if (RunProgram({VORTAN_SERVER_PATH, "--register"}) != 0 ||
        RunProgram({VORTAN_BOARD_TOOL, "register"}) != 0 ||
        RunProgram({VORTAN_BOARD_TOOL, "create", kBoard, "--capacity", "4000000000", "--max-files",
                    "5000"}) != 0) {
        std::fprintf(stderr, "registration or board creation failed\n");
        return 1;
    }
    const fs::path flash = root / "boards" / kBoard / "flash";
    const std::string profile64 = WriteProfile(root / "texts64k.ini");
    QCoreApplication app(argc, argv);

    std::printf("base %s, %d rounds, medians in ms; ratios: 64K/none write, read; "
                "write/cp, read/cp; round trip/(2 x cp+fsync)\n",
                base.c_str(), rounds);
    std::printf("%-12s %9s %9s %9s %9s %9s %9s | %5s %5s %5s %5s %5s\n", "case", "write",
                "write64K", "read", "read64K", "cp", "cp+fsync", "prof", "prof", "w/cp", "r/cp",
                "rt");
    struct Case {
        const char* name;
        int count;
        std::size_t bytes;
    };
    int failures = 0;
    std::vector<Case> cases{Case{"1 x 1K", 1, 1024}, Case{"100 x 1K", 100, 1024},
                            Case{"1000 x 1K", 1000, 1024}, Case{"1 x 200M", 1, 200u << 20}};
    std::erase_if(cases,
                  [only](const Case& c) { return !std::string_view(c.name).starts_with(only); });
    for (const Case& c : cases) {
        const fs::path source = root / "source";
        ClearDir(source);
        std::vector<std::string> files;
        std::string list;
        std::string names;
        const std::string content(c.bytes, 'v');
        for (int i = 0; i < c.count; ++i) {
            const std::string name = std::to_string(10000 + i).append(".ini");
            std::ofstream(source / name) << content;
            files.push_back(source / name);
            list.append(list.empty() ? "" : ";").append(files.back());
            names.append(names.empty() ? "" : ";").append(name);
        }
        Row row{c.name, {}};
        const int n = c.bytes > (1u << 20) ? std::min(rounds, 3) : rounds;
        for (int r = 0; r < n; ++r) {
            for (const std::string& profile : {std::string(), profile64}) {
                const std::string suffix = profile.empty() ? "" : "64";
                ClearDir(flash);
                const double w = Transfer(true, profile, list, {});
                const fs::path local = root / "local";
                ClearDir(local);
                const double rd = Transfer(false, profile, names, local);
                failures += w < 0 || rd < 0;
                row.ms["write" + suffix].push_back(w);
                row.ms["read" + suffix].push_back(rd);
                ClearDir(local);
            }
            row.ms["cp"].push_back(Copy(files, root / "cp", false));
            row.ms["cpsync"].push_back(Copy(files, root / "cp", true));
            ClearDir(root / "cp");
        }
        PrintRow(row);
        ClearDir(source);
        ClearDir(flash);
    }

    // One file by the command-line client, next to the least a bus client and server can do.
    if (!std::string_view("vortanctl").starts_with(only)) {
        std::printf("server peak RSS: %.1f MiB\n", static_cast<double>(g_peakRssKb) / 1024);
        return failures == 0 ? 0 : 1;
    }
    std::ofstream(root / "one.ini") << std::string(1024, 'v');
    std::vector<double> ctl, send;
    for (int r = 0; r < std::max(rounds, 5); ++r) {
        double start = NowMs();
        failures += RunProgram({VORTAN_CTL_PATH, "-c", kBoard, "write", root / "one.ini"}) != 0;
        ctl.push_back(NowMs() - start);
        start = NowMs();
        failures +=
            RunProgram({"dbus-send", "--session", "--print-reply", "--dest=org.example.CNullServer",
                        "/Null/Factory", "org.example.Null.CreateInstance"}) != 0;
        send.push_back(NowMs() - start);
        RunProgram({"dbus-send", "--session", "--print-reply", "--dest=org.example.CNullServer",
                    "/Null/Object", "org.example.Null.CloseServer"});
    }
    std::printf("vortanctl write 1K: %.1f ms; dbus-send + libdbus server: %.1f ms; ratio %.2f "
                "(minima %.1f, %.1f: %.2f)\n",
                Median(ctl), Median(send), Median(ctl) / Median(send), Min(ctl), Min(send),
                Min(ctl) / Min(send));
    std::printf("server peak RSS: %.1f MiB\n", static_cast<double>(g_peakRssKb) / 1024);
    if (failures != 0)
        std::fprintf(stderr, "%d transfers failed\n", failures);
    return failures == 0 ? 0 : 1;
}
