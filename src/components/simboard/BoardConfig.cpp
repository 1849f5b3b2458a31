#include "components/simboard/BoardConfig.h"

#include <cerrno>
#include <charconv>
#include <fstream>
#include <string>

#include "platform/profile/PrivateProfile.h"

namespace vortan::simboard {
namespace {

constexpr const char* kSection = "board";

// Nothing when the key is absent or empty; false when the value is no number.
bool ReadNumber(const std::string& file, const char* key, std::optional<std::uint64_t>& value) {
    char buffer[64] = {};
    const DWORD length =
        GetPrivateProfileStringA(kSection, key, "", buffer, sizeof buffer, file.c_str());
    value.reset();
    if (length == 0)
        return true;
    // A value cut to the buffer (less up to three bytes of a character) may go on in the
    // file: taking its first digits would read "000...0012" as 1.
    if (length + 4 >= sizeof buffer)
        return false;
    std::uint64_t number = 0;
    const auto [end, ec] = std::from_chars(buffer, buffer + length, number);
    if (ec != std::errc() || end != buffer + length)
        return false;
    value = number;
    return true;
}

} // namespace

BoardError BoardConfig::Load(const std::filesystem::path& iniFile, BoardConfig& config) {
    // Windows' own profile reader takes a relative name from the Windows directory, not from
    // the current one.
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(iniFile, ec);
    const std::string file = (ec ? iniFile : absolute).string();
    BoardConfig loaded;
    std::optional<std::uint64_t> value;
    struct Key {
        const char* name;
        std::uint64_t* target;
    };
    const Key keys[] = {{"capacity", &loaded.capacity},
                        {"max_files", &loaded.maxFiles},
                        {"speed", &loaded.speed},
                        {"fail_item", &loaded.failItem}};
    for (const Key& key : keys) {
        if (!ReadNumber(file, key.name, value))
            return Fail(BoardErrorCode::BoardConfigInvalid);
        if (value)
            *key.target = *value;
    }
    if (!ReadNumber(file, "fail_after_bytes", loaded.failAfterBytes))
        return Fail(BoardErrorCode::BoardConfigInvalid);
    if (!ReadNumber(file, "read_only", value) || (value && *value > 1))
        return Fail(BoardErrorCode::BoardConfigInvalid);
    loaded.readOnly = value.value_or(0) == 1;
    if (!ReadNumber(file, "silent", value) || (value && *value > 1))
        return Fail(BoardErrorCode::BoardConfigInvalid);
    loaded.silent = value.value_or(0) == 1;
    config = loaded;
    return {};
}

BoardError BoardConfig::Save(const std::filesystem::path& iniFile) const {
    std::ofstream out(iniFile, std::ios::trunc);
    out << "[board]\n"
        << "capacity=" << capacity << "\n"
        << "max_files=" << maxFiles << "\n"
        << "speed=" << speed << "\n"
        << "fail_item=" << failItem << "\n"
        << "fail_after_bytes=";
    if (failAfterBytes)
        out << *failAfterBytes;
    out << "\nread_only=" << (readOnly ? 1 : 0) << "\n";
    if (silent)
        out << "silent=1\n";
    out.flush();
    if (!out)
        return Fail(BoardErrorCode::BoardIoError, errno);
    return {};
}

} // namespace vortan::simboard
