// Test-only controls of the engine stand-in.
#pragma once

#include "cwbase.h"

namespace standin::testing {

// A fresh, empty project in the registry.
CW_Instance pCreateProject();
// Closes every project and forgets open files and call-back settings.
void vReset();
// Forgets every file the image I/O router holds open.
void vResetImageIO();

} // namespace standin::testing
