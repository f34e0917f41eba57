// The project and layer manager library.
#pragma once

#include "cwbase.h"

class TOLV_ProjectManager;

#include "tolvane/ProjectManager.h"
#include "tolvane/ParameterManager.h"
