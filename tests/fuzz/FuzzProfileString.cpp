// The profile-string reader over a file a client names: any bytes, any section and key, any
// buffer size.
#include <cstring>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzInput.h"
#include "platform/profile/PrivateProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vortan::fuzz::InputFile file("profile.ini");
    FuzzedDataProvider input(data, size);
    const DWORD capacity = input.ConsumeIntegralInRange<DWORD>(1, 300);
    const std::string section = input.ConsumeRandomLengthString(40);
    const std::string key = input.ConsumeRandomLengthString(40);
    const std::string& path = file.Write(input.ConsumeRemainingBytesAsString());

    // One byte more than offered, to see that nothing is written past the end. A NUL byte in
    // the file's value is copied and counted like any other: the caller sees a shorter text.
    std::vector<char> buffer(capacity + 1, '\x7f');
    const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), "dflt",
                                                  buffer.data(), capacity, path.c_str());
    vortan::fuzz::Check(length < capacity && buffer[length] == '\0' &&
                        std::strlen(buffer.data()) <= length && buffer[capacity] == '\x7f');
    return 0;
}
