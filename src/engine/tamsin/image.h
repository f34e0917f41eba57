// Images of the numerical library: a pixel buffer that knows how to copy and free itself.
#pragma once

#include <cstddef>

enum Tam_ImageFormat { TAM_GREY = 0, TAM_RGB = 2, TAM_RGBA = 3 };
enum Tam_Type { TAM_UINT8 = 1, TAM_UINT16 = 3, TAM_FLOAT32 = 8 };

struct Tam_Image {
    int iWidth = 0;
    int iHeight = 0;
    int iStride = 0; // bytes from one row to the next
    int iFormat = TAM_RGBA;
    int iType = TAM_UINT8;
    unsigned char* pucData = nullptr;
    bool bOwnsData = false;
    // A deep copy that owns its pixels; free it with its own free operation.
    Tam_Image* (*copy)(const Tam_Image* image) = nullptr;
    void (*free)(Tam_Image* image) = nullptr;
};

// The smallest row length in bytes for a width in a format and type.
int tam_image_min_stride(int width, int format, int type);
// Wraps pixels that stay owned by the caller.
Tam_Image* tam_image_form_gen(int width, int height, int stride, int format, int type, unsigned char* data);
// In place: swaps the first and third channel of every pixel.
void tam_image_swap_RandB_q(Tam_Image* image);
// In place: turns the image upside down.
void tam_image_flip_q(Tam_Image* image);
