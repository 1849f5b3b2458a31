// A simulated board's board.ini, which anyone may edit: what loads must be each value read
// whole, and must save and load again unchanged.
#include <charconv>
#include <string_view>
#include <tuple>

#include "FuzzInput.h"
#include "components/simboard/BoardConfig.h"
#include "platform/profile/PrivateProfile.h"

using vortan::simboard::BoardConfig;

namespace {

// The number a key holds, read with room for any value the fuzzer writes.
std::uint64_t Whole(const std::string& path, const char* key, std::uint64_t fallback) {
    static char value[1 << 16];
    const DWORD length =
        GetPrivateProfileStringA("board", key, "", value, sizeof value, path.c_str());
    std::uint64_t number = fallback;
    if (length > 0) {
        const auto [end, ec] = std::from_chars(value, value + length, number);
        vortan::fuzz::Check(ec == std::errc() && end == value + length);
    }
    return number;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vortan::fuzz::InputFile file("board.ini");
    const std::string& path = file.Write({reinterpret_cast<const char*>(data), size});
    BoardConfig loaded;
    if (BoardConfig::Load(path, loaded))
        return 0;
    const BoardConfig defaults;
    vortan::fuzz::Check(loaded.capacity == Whole(path, "capacity", defaults.capacity) &&
                        loaded.maxFiles == Whole(path, "max_files", defaults.maxFiles) &&
                        loaded.speed == Whole(path, "speed", defaults.speed) &&
                        loaded.failItem == Whole(path, "fail_item", defaults.failItem) &&
                        loaded.failAfterBytes.value_or(0) == Whole(path, "fail_after_bytes", 0));
    vortan::fuzz::Check(!loaded.Save(path));
    BoardConfig again;
    const auto fields = [](const BoardConfig& c) {
        return std::tuple(c.capacity, c.maxFiles, c.speed, c.failItem, c.failAfterBytes, c.readOnly,
                          c.silent);
    };
    vortan::fuzz::Check(!BoardConfig::Load(path, again) && fields(again) == fields(loaded));
    return 0;
}
