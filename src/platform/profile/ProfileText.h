#pragma once

#include <string>

namespace vortan::profile {

// Display text `number` (negative) from `section` of the client's profile file: the key is
// the number's absolute value; found when a non-empty text was read, cut at 259 bytes. The
// one lookup of the engine, the server's own dialogs and the selection dialogs.
bool LookupProfileText(const char* profileFile, const char* section, int number, std::string& text);

} // namespace vortan::profile
