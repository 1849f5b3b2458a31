#pragma once

#include <string>

namespace vortan::engine {

// Display text `number` (negative) from `section` of the client's profile file: the key is
// the number's absolute value; found when a non-empty text was read, cut at 259 bytes.
bool LookupProfileText(const char* profileFile, const char* section, int number, std::string& text);

} // namespace vortan::engine
