// The numerical library: lists, image format codes, cameras and matrices.
#pragma once

#include "tamsin/image.h"
