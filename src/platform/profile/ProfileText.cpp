#include "platform/profile/ProfileText.h"

#include <array>

#include "platform/profile/PrivateProfile.h"
#include "platform/text/SafeFormat.h"

namespace vortan::profile {

bool LookupProfileText(const char* profileFile, const char* section, int number,
                       std::string& text) {
    if (profileFile == nullptr || section == nullptr)
        return false;
    const std::string key = std::to_string(number < 0 ? -static_cast<long long>(number) : number);
    std::array<char, text::kMaxTextBytes + 1> buffer{};
    const DWORD length = ::GetPrivateProfileStringA(section, key.c_str(), nullptr, buffer.data(),
                                                    static_cast<DWORD>(buffer.size()), profileFile);
    if (length == 0)
        return false;
    text.assign(buffer.data(), length);
    return true;
}

} // namespace vortan::profile
