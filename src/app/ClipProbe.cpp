#include "ClipProbe.h"

#include "brandor.h"

bool bGetClipImageInfo(const QString& path, CW_BaseClipInfo& base, CW_ClipInfo& clip, void* passThrough)
{
    BRD_ImageIO_Router* router = pGetImageIORouter();
    try {
        router->vOpenMovie(CW_OpenMovieStruct{path, clip.colourspace});
    } catch (...) {
        return false;
    }

    const QByteArray pathUtf8 = path.toUtf8();
    const int flag = clip.bMovie ? 1 : 0;
    std::string folder, name, thirdPart;
    int first = 0, last = 0, thirdNumber = 0, interlace = 0;
    float frameRate = 0.0f;
    bool valid = false;
    try {
        valid = router->bIsValidClip(pathUtf8.constData(), flag, clip.colourspace, folder, name, thirdPart, first,
                                     last, thirdNumber, interlace, frameRate);
        if (valid) {
            clip.qstrFolder = QString::fromStdString(folder);
            clip.qstrFileName = QString::fromStdString(name);
            clip.qstrThirdPart = QString::fromStdString(thirdPart);
            clip.iFirstFileNumber = first;
            clip.iLastFileNumber = last;
            clip.iThirdNumber = thirdNumber;
            base.iFieldMode = interlace;
            if (frameRate != 0.0f)
                base.fFrameRate = frameRate;

            std::string header;
            valid = router->bGetImageInfo(pathUtf8.constData(), flag, base.uiWidth, base.uiHeight,
                                          clip.iImageFormat, clip.iImageType, clip.iFileFormat, header);
            clip.qstrHeaderInfo = QString::fromStdString(header);
            base.setNumImageFilesInClip(unsigned(last - first + 1));
        }
        if (valid && passThrough) {
            CW_CallbackStruct* callbacks = pstctBRD_GetCallbackStruct();
            if (callbacks->pfnClipOpened)
                callbacks->pfnClipOpened(router, pathUtf8.constData(), 0, interlace, passThrough);
        }
    } catch (...) {
        // The probe answers yes or no; a reader that fails simply says no.
        valid = false;
    }
    return valid;
}

void vCloseMovie(const QString& path)
{
    pGetImageIORouter()->vCloseMovie(path.toUtf8().constData());
}

bool bIsReadableClip(const QString& path)
{
    CW_BaseClipInfo base;
    CW_ClipInfo clip;
    const bool readable = bGetClipImageInfo(path, base, clip, nullptr);
    vCloseMovie(path);
    return readable;
}
