// The numerical library: lists, image format codes, cameras and matrices.
#pragma once

#include "tamsin/image.h"
#include "tamsin/list.h"

#include <QString>

// Image file format codes: 10 is an unknown format.
int tam_image_interpret_format_string(const char* formatUtf8);
bool tam_image_file_format_compressed(int format);
// The header text of an image of a format and pixel type, as a clip description keeps it.
void tam_initialise_image_header_info(QString& header, int format, int type);
