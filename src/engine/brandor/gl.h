// The I/O library's OpenGL drawing: a text font, the display texture cache, and the
// drawing call-backs the user interface reaches through the call-back record.
#pragma once

struct Tam_Image;
class QObject;

// Drawing in the current OpenGL context. Text and colours use the engine's current view
// (image coordinates); images are placed in widget pixels.
struct BRD_GLCallbacks {
    void (*pfnSetColour)(float r, float g, float b, float a) = nullptr;
    // Height in widget pixels of the text in the current font.
    int (*pfnTextHeight)(const char* textUtf8) = nullptr;
    // Draws the text centred on an image point, scaled per axis.
    void (*pfnDrawText)(const char* textUtf8, float x, float y, float scaleX, float scaleY) = nullptr;
    // Draws an image (rows bottom up) with its top-left corner at widget pixel (x, y).
    void (*pfnDrawImage)(const Tam_Image* image, int x, int y, float scaleX, float scaleY) = nullptr;
};

// The font for text drawn in the viewer; the flag asks for text drawn without the
// texture cache.
void vBRD_GLInitialiseFont(const char* face, const char* secondFace, bool uncached);
// Keeps up to count frames of that size as textures for display, so a frame shown again
// is not uploaded again.
void vBRD_GLInitialiseTextures(unsigned int width, unsigned int height, unsigned int count);
// The memory the display cache's textures may take; the least recently shown go first.
void vBRD_GLResizeCacheMBytes(unsigned int megabytes);
// How many frames of clips other than the displayed one the display cache keeps.
void vBRD_GLResizeCacheSlots(unsigned int count);
// Releases what the I/O library made in the widget's OpenGL context.
void vBRD_GLCleanup(QObject* widget);
