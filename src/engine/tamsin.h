// The numerical library: lists, image format codes, cameras and matrices.
#pragma once

#include "tamsin/image.h"

// Image file format codes: 10 is an unknown format.
int tam_image_interpret_format_string(const char* formatUtf8);
bool tam_image_file_format_compressed(int format);
