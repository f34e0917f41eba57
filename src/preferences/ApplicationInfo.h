// What this build is, and whether this is its first run.
#pragma once

#include <memory>

struct ApplicationInfo {
    unsigned int uiBuildNumber = 0;
    // "LastRunBuildNumber" is older than this build.
    bool bIsNewBuild = false;
};

// Read afresh from the product and "LastRunBuildNumber".
ApplicationInfo stctReadApplicationInfo();
// Built on the first call and kept for the run, so writing "LastRunBuildNumber" at exit
// does not change the answer.
std::shared_ptr<ApplicationInfo> pGetApplicationInfo();
