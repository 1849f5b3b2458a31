#include "platform/profile/ProfileRun.h"

#include "platform/profile/ProfileCache.h"

namespace vortan::profile {

ProfileRun::ProfileRun() {
    ProfileCache::Process().BeginRun();
}

ProfileRun::~ProfileRun() {
    ProfileCache::Process().EndRun();
}

} // namespace vortan::profile
