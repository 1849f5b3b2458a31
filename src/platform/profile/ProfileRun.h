#pragma once

namespace vortan::profile {

// One run (an automation call, a transfer): within it each profile file is checked and read
// at most once, so a run sees one version of its texts however many it looks up. The next
// run sees an edit made in between. On Windows the system reads the file at each lookup and a
// run holds nothing: an edit shows at once.
class ProfileRun final {
public:
    ProfileRun();
    ~ProfileRun();
    ProfileRun(const ProfileRun&) = delete;
    ProfileRun& operator=(const ProfileRun&) = delete;
};

} // namespace vortan::profile
