// Throughput of the simulated board next to cp of the same data, in the same run and on the
// same file system: one 100 MB file and 1,000 files of 4 KiB, written and read through the
// components as the program calls them. The board syncs every item to disk (fsync before
// the rename); cp does not, so "cp+sync" is shown too.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/com/Activation.h"
#include "platform/com/ClassRegistry.h"
#include "platform/win/WinUser.h"
#include "vortan/ComponentContract.h"
#include "vortan/com/ComPtr.h"
#include "vortan/com/UniqueBstr.h"

namespace fs = std::filesystem;
using vortan::com::ComPtr;
using vortan::com::UniqueBstr;

namespace {

constexpr int kRounds = 3;

double Seconds(const std::function<bool()>& work, bool& ok) {
    double best = 1e30;
    for (int i = 0; i < kRounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        ok = work() && ok;
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

std::string SmallName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "F%d.CFG", i);
    return name;
}

bool Shell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

void WriteData(const fs::path& path, std::size_t size, unsigned seed) {
    std::vector<char> data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 2654435761u + seed) >> 13);
    std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(size));
}

template <typename T>
ComPtr<T> Create(REFCLSID clsid, REFIID iid) {
    ComPtr<IUnknown> unknown;
    ComPtr<T> result;
    if (SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, unknown.OutVoid())))
        unknown.QueryInterface(iid, result);
    return result;
}

class Board final {
public:
    Board()
        : m_controller(
              Create<vortan::IController>(vortan::CLSID_ControllerAccess, vortan::IID_IController)),
          m_flash(Create<vortan::IFlashHandling>(vortan::CLSID_FlashHandling,
                                                 vortan::IID_IFlashHandling)) {}

    bool Connect(const char* name) {
        if (!m_controller || !m_flash)
            return false;
        const UniqueBstr bstrName = UniqueBstr::FromUtf8(name);
        m_controller->Connect(bstrName.Get(), nullptr);
        MSG msg{};
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
        VARIANT_BOOL connected = VARIANT_FALSE;
        m_controller->IsConnected(&connected);
        return connected != VARIANT_FALSE;
    }
    bool Write(const fs::path& local, const std::string& name) {
        const UniqueBstr l = UniqueBstr::FromUtf8(local.string());
        const UniqueBstr n = UniqueBstr::FromUtf8(name);
        VARIANT_BOOL outcome = VARIANT_FALSE;
        m_flash->WriteToMemory(m_controller.Get(), l.Get(), n.Get(), VARIANT_FALSE, &outcome);
        return outcome == VARIANT_TRUE;
    }
    bool Read(const std::string& name, const fs::path& local) {
        const UniqueBstr l = UniqueBstr::FromUtf8(local.string());
        const UniqueBstr n = UniqueBstr::FromUtf8(name);
        VARIANT_BOOL outcome = VARIANT_FALSE;
        m_flash->ReadFromMemory(m_controller.Get(), l.Get(), n.Get(), VARIANT_FALSE, &outcome);
        return outcome == VARIANT_TRUE;
    }

private:
    ComPtr<vortan::IController> m_controller;
    ComPtr<vortan::IFlashHandling> m_flash;
};

void Row(const char* what, double seconds, double megabytes, double files) {
    if (files > 1)
        std::printf("  %-34s %9.1f MB/s %10.0f files/s  (%.3f s)\n", what, megabytes / seconds,
                    files / seconds, seconds);
    else
        std::printf("  %-34s %9.1f MB/s  (%.3f s)\n", what, megabytes / seconds, seconds);
}

} // namespace

int main() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/vortan-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        return 1;
    const fs::path root = pattern;
    const fs::path boards = root / "boards";
    fs::create_directories(boards / "BENCH" / "flash");
    std::ofstream(boards / "BENCH" / "board.ini")
        << "[board]\ncapacity=1073741824\nmax_files=10000\n";
    setenv("VORTAN_BOARDS", boards.c_str(), 1);
    setenv("VORTAN_CLASSES", (root / "classes.ini").c_str(), 1);
    vortan::com::ClassRegistry registry(root / "classes.ini");
    registry.RegisterClassPath(vortan::CLSID_ControllerAccess, VORTAN_SIMBOARD_PLUGIN);
    registry.RegisterClassPath(vortan::CLSID_FlashHandling, VORTAN_SIMBOARD_PLUGIN);

    bool ok = true;
    {
        Board board;
        if (!board.Connect("BENCH")) {
            std::fprintf(stderr, "bench_simboard: cannot connect to the board\n");
            return 1;
        }
        const fs::path flash = boards / "BENCH" / "flash";
        const fs::path local = root / "local";
        const fs::path copies = root / "copies";
        fs::create_directories(local / "small");
        fs::create_directories(copies);
        std::printf("file system of %s, best of %d rounds\n", root.c_str(), kRounds);

        // One file of 100 MB.
        constexpr std::size_t kBig = 100u * 1000 * 1000;
        WriteData(local / "big.bin", kBig, 1);
        const double mb = kBig / 1e6;
        std::printf("one file of 100 MB\n");
        Row("board write", Seconds([&] { return board.Write(local / "big.bin", "BIG.BIN"); }, ok),
            mb, 1);
        Row("cp local -> dir",
            Seconds(
                [&] {
                    return Shell("cp " + (local / "big.bin").string() + " " +
                                 (copies / "big.bin").string());
                },
                ok),
            mb, 1);
        Row("cp+sync local -> dir",
            Seconds(
                [&] {
                    return Shell("cp " + (local / "big.bin").string() + " " +
                                 (copies / "big.bin").string() + " && sync " +
                                 (copies / "big.bin").string());
                },
                ok),
            mb, 1);
        Row("board read", Seconds([&] { return board.Read("BIG.BIN", local / "back.bin"); }, ok),
            mb, 1);
        Row("cp dir -> local",
            Seconds(
                [&] {
                    return Shell("cp " + (flash / "BIG.BIN").string() + " " +
                                 (local / "back2.bin").string());
                },
                ok),
            mb, 1);
        ok =
            Shell("cmp -s " + (local / "big.bin").string() + " " + (local / "back.bin").string()) &&
            ok;
        fs::remove(flash / "BIG.BIN");

        // 1,000 files of 4 KiB.
        constexpr int kFiles = 1000;
        constexpr std::size_t kSmall = 4096;
        for (int i = 0; i < kFiles; ++i)
            WriteData(local / "small" / (SmallName(i)), kSmall, static_cast<unsigned>(i));
        const double smallMb = kFiles * kSmall / 1e6;
        std::printf("1,000 files of 4 KiB\n");
        Row("board write",
            Seconds(
                [&] {
                    bool all = true;
                    for (int i = 0; i < kFiles; ++i) {
                        const std::string name = SmallName(i);
                        all = board.Write(local / "small" / name, name) && all;
                    }
                    return all;
                },
                ok),
            smallMb, kFiles);
        Row("cp -r local -> dir",
            Seconds(
                [&] {
                    return Shell("rm -rf " + (copies / "small").string() + " && cp -r " +
                                 (local / "small").string() + " " + copies.string());
                },
                ok),
            smallMb, kFiles);
        fs::create_directories(local / "back");
        Row("board read",
            Seconds(
                [&] {
                    bool all = true;
                    for (int i = 0; i < kFiles; ++i) {
                        const std::string name = SmallName(i);
                        all = board.Read(name, local / "back" / name) && all;
                    }
                    return all;
                },
                ok),
            smallMb, kFiles);
        Row("cp -r dir -> local",
            Seconds(
                [&] {
                    return Shell("rm -rf " + (local / "back2").string() + " && cp -r " +
                                 flash.string() + " " + (local / "back2").string());
                },
                ok),
            smallMb, kFiles);
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    if (!ok)
        std::fprintf(stderr, "bench_simboard: an operation failed\n");
    return ok ? 0 : 1;
}
