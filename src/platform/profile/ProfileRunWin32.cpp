#include "platform/profile/ProfileRun.h"

namespace vortan::profile {

// GetPrivateProfileStringA is the system's own here, which keeps no version of a file for us to
// hold: a run marks nothing.
ProfileRun::ProfileRun() = default;

ProfileRun::~ProfileRun() = default;

} // namespace vortan::profile
