// What this build is, and whether this is its first run.
#pragma once

#include <memory>

struct ApplicationInfo {
    unsigned int uiBuildNumber = 0;
    // "LastRunBuildNumber" is older than this build.
    bool bIsNewBuild = false;
};

// Built on the first call and kept for the run.
std::shared_ptr<ApplicationInfo> pGetApplicationInfo();
