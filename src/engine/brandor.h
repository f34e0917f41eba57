// Image and video I/O: the call-back record through which the engine reaches the user
// interface, the shared resources, and the image I/O router that reads clips.
#pragma once

#include "brandor/gl.h"
#include "cwbase.h"

#include <QObject>
#include <QString>
#include <memory>

class QWidget;
class QTimer;

namespace Murn {
class ParameterWithoutType;
}
namespace Vosk {
class CompositeCommand;
}

// Resources the I/O library shares between projects (texture caches, fonts).
class BRD_SharedResources : public QObject {
    Q_OBJECT
public:
    bool bIsDestroyed() const { return m_bDestroyed; }
public slots:
    void destroyResources();

private:
    bool m_bDestroyed = false;
};

struct CW_CallbackStruct {
    std::shared_ptr<BRD_SharedResources> pResources;
    // OpenGL drawing, supplied by the I/O library.
    BRD_GLCallbacks stctGL;

    // Filled by the user interface.
    void (*pfnCriticalMessage)(void* context, const char* translationContext, const char* text) = nullptr;
    void (*pfnWarningMessage)(void* context, const char* translationContext, const char* text) = nullptr;
    void (*pfnInformationMessage)(void* context, const char* translationContext, const char* text) = nullptr;
    QWidget* pMainWindow = nullptr;
    void (*pfnParameterFocus)() = nullptr;
    void (*pfnCurveEditorActivate)(void* context, int a, int b) = nullptr;
    void (*pfnCurveEditorSynchronous)(void* context, int a) = nullptr;
    void (*pfnParameterRemoved)(Murn::ParameterWithoutType* parameter) = nullptr;
    void (*pfnParameterSelected)(Murn::ParameterWithoutType* parameter) = nullptr;
    void (*pfnParameterChange)(Vosk::CompositeCommand& command, float value, bool undoable) = nullptr;
    int (*pfnMissingClip)(void* context, CW_CLIP_ID clip) = nullptr;
    void (*pfnProgressText)(void* context, const char* text) = nullptr;
    void (*pfnProgressValue)(void* context, int value) = nullptr;
    void (*pfnProgressStart)() = nullptr;
    void (*pfnProgressEnd)() = nullptr;
    int (*pfnStopQuery)() = nullptr;

    // Supplied by the I/O library itself.
    int (*pfnIsWritable)(void* user, const char* fileType) = nullptr;
    int (*pfnIsFormatSupported)(void* user, const char* fileType, int imageFormat, int imageType, int flags) = nullptr;
    void (*pfnClipOpened)(void* router, const char* path, int zero, int interlace, void* passThrough) = nullptr;
    // Image buffers: made in a size, pixel format and type (rows bottom up), freed, and
    // filled from a frame file scaled to the buffer's size (false when it cannot be read).
    Tam_Image* (*pfnAllocateImage)(unsigned int width, unsigned int height, int format, int type) = nullptr;
    void (*pfnFreeImage)(Tam_Image* image) = nullptr;
    bool (*pfnReadImage)(const char* pathUtf8, Tam_Image* image, const CW_ColourspaceParameters& colourspace) = nullptr;
    void* pUserWord = nullptr;
};

void vBRD_InitialiseCallbacks(bool useHardwareRendering);
CW_CallbackStruct* pstctBRD_GetCallbackStruct();
bool bBRD_GetUseHardwareRendering();
void vBRD_RegisterThrowFunction(void (*throwFunction)(const char* developerText, const char* userText));

struct CW_OpenMovieStruct {
    QString qstrPath;
    CW_ColourspaceParameters colourspace;
    // Filled by vOpenMovie: the image format (0 grey, 2 RGB, 3 RGBA) and pixel type
    // (1 UInt8, 3 UInt16, 8 Float32) of the file.
    int iImageFormat = 0;
    int iImageType = 0;
};

// Reads clips: numbered image sequences and single images.
class BRD_ImageIO_Router {
public:
    // Throws CW_Exception when the file cannot be opened; fills the format and type.
    virtual void vOpenMovie(CW_OpenMovieStruct& movie) = 0;
    virtual void vCloseMovie(const char* pathUtf8) = 0;
    virtual bool bIsValidClip(const char* pathUtf8, int flag, const CW_ColourspaceParameters& colourspace,
                              std::string& folderUtf8, std::string& nameUtf8, std::string& thirdPartUtf8,
                              int& firstFileNumber, int& lastFileNumber, int& thirdNumber, int& interlaceMode,
                              float& frameRate) = 0;
    virtual bool bGetImageInfo(const char* pathUtf8, int flag, unsigned int& width, unsigned int& height,
                               int& imageFormat, int& imageType, int& fileFormat, std::string& headerInfo) = 0;
    virtual void vSetParentWindow(QWidget* window, QTimer* playbackTimer) = 0;
    virtual int iOpenMovieCount() const = 0;
    // The gamma the file's format implies, and whether its colour space can be converted.
    double getGamma(const char* pathUtf8) const;
    bool isColourspaceConversionEnabled(const char* pathUtf8) const;

protected:
    virtual ~BRD_ImageIO_Router() = default;
};

BRD_ImageIO_Router* pGetImageIORouter();

// The video output board, if one is installed, and whether the program uses it.
class BRD_VideoIO {
public:
    virtual ~BRD_VideoIO() = default;
    virtual bool bGetInstalled(int option) const = 0;
    virtual bool bGetEnabled() const = 0;
    virtual void vSetEnabled(bool enabled) = 0;
};
BRD_VideoIO* pGetVideoIO();
// Releases the video hardware; the board must be opened again before use.
void vDestroyHardwareController();

#include "brandor/Subsystems.h"
