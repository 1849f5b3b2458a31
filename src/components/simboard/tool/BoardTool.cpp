// vortan-board: the simulated boards' command-line tool. Exit codes: 0 done, 1 failed,
// 2 wrong usage.

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "PluginRegistration.h"
#include "components/simboard/BoardName.h"
#include "components/simboard/SimBoard.h"
#include "vortan/com/HResult.h"

namespace fs = std::filesystem;
using namespace vortan::simboard;

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char* kHelp =
    "Usage: vortan-board COMMAND [ARGS]\n"
    "\n"
    "Manages the simulated controller boards VORTAN talks to.\n"
    "\n"
    "Commands:\n"
    "  create NAME [--capacity BYTES] [--max-files N] [--speed BYTES_PER_S]\n"
    "                 make an empty board (defaults: 64 MiB, 256 files, unlimited speed)\n"
    "  list           the boards: name, files, bytes used, capacity (tab-separated)\n"
    "  ls NAME        the files in a board's memory: name and size (tab-separated)\n"
    "  rm NAME        delete a board and everything in it (refused while in use)\n"
    "  register [--plugin PATH]\n"
    "                 enter the board's two component classes in the class registry;\n"
    "                 the plug-in defaults to the one installed with this tool\n"
    "  --help         this text\n"
    "\n";

constexpr const char* kExamples = "\n"
                                  "Examples:\n"
                                  "  vortan-board create BENCH1 --capacity 1048576 --max-files 16\n"
                                  "  vortan-board register\n"
                                  "  vortan-board ls BENCH1\n"
                                  "  vortan-board rm BENCH1\n";

int Usage(const std::string& message) {
    std::fprintf(stderr, "vortan-board: %s\nTry 'vortan-board --help'.\n", message.c_str());
    return kUsage;
}

int Failure(const std::string& message) {
    std::fprintf(stderr, "vortan-board: %s\n", message.c_str());
    return kFailed;
}

int BoardFailure(std::string_view name, const BoardError& error) {
    std::string message = std::string(name) + ": " + Describe(error.code);
    if (error.sysError != 0)
        message += " (" + std::generic_category().message(error.sysError) + ")";
    return Failure(message);
}

bool ParseNumber(std::string_view text, std::uint64_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

int Create(const std::vector<std::string_view>& args) {
    if (args.empty())
        return Usage("create: board name missing");
    BoardConfig config;
    for (std::size_t i = 1; i < args.size(); i += 2) {
        const std::string_view option = args[i];
        std::uint64_t* target = option == "--capacity"    ? &config.capacity
                                : option == "--max-files" ? &config.maxFiles
                                : option == "--speed"     ? &config.speed
                                                          : nullptr;
        if (target == nullptr)
            return Usage("create: unknown option '" + std::string(option) + "'");
        if (i + 1 >= args.size() || !ParseNumber(args[i + 1], *target))
            return Usage("create: " + std::string(option) + " needs a number");
    }
    if (const BoardError error = SimBoard::Create(BoardsDirectory(), args[0], config))
        return BoardFailure(args[0], error);
    return kOk;
}

int List(const std::vector<std::string_view>& args) {
    if (!args.empty())
        return Usage("list: no arguments expected");
    const fs::path boards = BoardsDirectory();
    std::error_code ec;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(boards, ec)) {
        const std::string name = entry.path().filename().string();
        if (IsPlainName(name) && fs::is_directory(entry.path() / "flash", ec))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        BoardConfig config;
        if (const BoardError error = BoardConfig::Load(boards / name / "board.ini", config)) {
            std::printf("%s\t-\t-\t-\n", name.c_str());
            continue;
        }
        std::uint64_t used = 0;
        std::size_t count = 0;
        for (const auto& file : fs::directory_iterator(boards / name / "flash", ec)) {
            if (file.is_regular_file(ec) && IsMemoryName(file.path().filename().string())) {
                used += file.file_size(ec);
                ++count;
            }
        }
        std::printf("%s\t%zu\t%llu\t%llu\n", name.c_str(), count,
                    static_cast<unsigned long long>(used),
                    static_cast<unsigned long long>(config.capacity));
    }
    return kOk;
}

int Ls(const std::vector<std::string_view>& args) {
    if (args.size() != 1)
        return Usage("ls: exactly one board name expected");
    std::unique_ptr<SimBoard> board;
    BoardError error = SimBoard::Open(BoardsDirectory(), args[0], board);
    if (error && error.code != BoardErrorCode::BoardBusy)
        return BoardFailure(args[0], error);
    // Listing needs no lock: a board in use can still be looked at.
    std::error_code ec;
    std::vector<std::pair<std::string, std::uintmax_t>> files;
    for (const auto& file :
         fs::directory_iterator(BoardsDirectory() / std::string(args[0]) / "flash", ec))
        if (file.is_regular_file(ec) && IsMemoryName(file.path().filename().string()))
            files.emplace_back(file.path().filename().string(), file.file_size(ec));
    if (ec)
        return Failure(std::string(args[0]) + ": " + ec.message());
    std::sort(files.begin(), files.end());
    for (const auto& [name, size] : files)
        std::printf("%s\t%llu\n", name.c_str(), static_cast<unsigned long long>(size));
    return kOk;
}

int Rm(const std::vector<std::string_view>& args) {
    if (args.size() != 1)
        return Usage("rm: exactly one board name expected");
    std::unique_ptr<SimBoard> board;
    if (const BoardError error = SimBoard::Open(BoardsDirectory(), args[0], board))
        return BoardFailure(args[0], error);
    // Still locked while it goes, so no one connects meanwhile.
    if (const std::error_code ec = board->Delete())
        return Failure(std::string(args[0]) + ": " + ec.message());
    return kOk;
}

int Register(const std::vector<std::string_view>& args) {
    fs::path plugin;
    if (args.empty())
        plugin = DefaultPlugin();
    else if (args.size() == 2 && args[0] == "--plugin")
        plugin = fs::path(args[1]);
    else
        return Usage("register: only --plugin PATH expected");
    std::error_code ec;
    const fs::path absolute = fs::weakly_canonical(fs::absolute(plugin, ec), ec);
    if (ec || !fs::is_regular_file(absolute, ec))
        return Failure("plug-in not found: " + plugin.string());
    std::string where;
    if (const HRESULT hr = RegisterPlugin(absolute, where); FAILED(hr))
        return Failure("cannot write " + where + " (" + FormatHResult(hr) + ")");
    std::printf("registered %s in %s\n", absolute.string().c_str(), where.c_str());
    return kOk;
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc < 2)
            return Usage("command missing");
        const std::string_view command = argv[1];
        const std::vector<std::string_view> args(argv + 2, argv + argc);
        if (command == "--help" || command == "-h" || command == "help") {
            std::fputs(kHelp, stdout);
            std::fputs(StorageHelp(), stdout);
            std::fputs(kExamples, stdout);
            return kOk;
        }
        if (command == "create")
            return Create(args);
        if (command == "list")
            return List(args);
        if (command == "ls")
            return Ls(args);
        if (command == "rm")
            return Rm(args);
        if (command == "register")
            return Register(args);
        return Usage("unknown command '" + std::string(command) + "'");
    } catch (const std::exception& e) {
        return Failure(e.what());
    }
}
