#pragma once

// The program's resources as data: dialog templates, the string table and the icons. Their
// ids are in ResourceIds.h.

#include <span>
#include <string>

#include "platform/WinDef.h"
#include "platform/win/DialogTemplate.h"
#include "resources/ResourceIds.h"

namespace vortan::resources {

// The dialog template with `id`; null if there is none.
const win::DialogTemplate* FindDialogTemplate(int id);

// The string with `id` (UTF-8); empty if there is none, as LoadString reports a missing one.
std::string LoadStringResource(UINT id);

// The PNG bytes of the icon with `id`; empty if there is none.
std::span<const unsigned char> FindIconResource(int id);

} // namespace vortan::resources
