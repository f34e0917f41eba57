#include "ClipProbe.h"

#include "ResourceLoading.h"
#include "brandor.h"
#include "velmor.h"

#include <QComboBox>
#include <QFileInfo>
#include <QPixmap>

bool bGetClipImageInfo(const QString& path, CW_BaseClipInfo& base, CW_ClipInfo& clip, void* passThrough)
{
    BRD_ImageIO_Router* router = pGetImageIORouter();
    try {
        CW_OpenMovieStruct movie{path, clip.colourspace};
        router->vOpenMovie(movie);
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

QString qstrGetFileSuffix(const QByteArray& pathUtf8)
{
    // Only the file name counts: a dot in a folder name is no suffix.
    const QString fileName = QFileInfo(QString::fromUtf8(pathUtf8)).fileName();
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QStringLiteral(".png") : fileName.mid(dot);
}

float fComputePixelAspectRatio(unsigned int a, unsigned int b, double c, double d, bool fields)
{
    double sizeRatio = double(a) / double(b);
    if (fields)
        sizeRatio /= 2.0;
    return float((c / d) / sizeRatio);
}

void vFillFilmTypeCombo(QComboBox* combo)
{
    for (const std::string& name : CW_FilmTypeFactory::getAllNames())
        combo->addItem(QString::fromStdString(name));
}

CW_FilmType stGetCustomFilmType(unsigned int width, unsigned int height)
{
    CW_FilmType type = CW_FilmTypeFactory::byName("Custom");
    type.uiWidth = width;
    type.uiHeight = height;
    return type;
}

const char* const kszResourceClipFolder = "CWK-Resource:Unique?";

void vRegisterResourceClips(CW_Instance project)
{
    if (!bIsValidInstance(project))
        return;
    const QString logo = qstrGetLogoFileName(qstrGetProduct());
    const struct {
        QString qstrName;
        QString qstrResource;
    } clips[] = {{QStringLiteral("Logo"), logo},
                 {QStringLiteral("Grid8x8"), QStringLiteral("/Resources/Grid8x8.png")},
                 {QStringLiteral("Grid16x16"), QStringLiteral("/Resources/Grid16x16.png")},
                 {QStringLiteral("Grid32x32"), QStringLiteral("/Resources/Grid32x32.png")}};

    // One pair of descriptions serves all four; fields not renewed keep the logo's values.
    CW_BaseClipInfo base;
    CW_ClipInfo clip;
    for (const auto& entry : clips) {
        const QPixmap image = qpixGetResourcePixmap(entry.qstrResource);
        base.uiWidth = unsigned(image.width());
        base.uiHeight = unsigned(image.height());
        base.fFrameRate = 10.0f;
        base.filmType = stGetCustomFilmType(base.uiWidth, base.uiHeight);
        base.dFrameAspectRatio =
            base.filmType.uiHeight ? double(base.filmType.uiWidth) / double(base.filmType.uiHeight) : 1.0;
        base.dPixelAspectRatio = 1.0;
        base.uiCount = 1;
        base.setNumImageFilesInClip(1);
        clip.qstrFolder = QString::fromLatin1(kszResourceClipFolder);
        clip.qstrFileName = entry.qstrResource;
        clip.qstrThirdPart.clear();
        clip.iFirstFileNumber = 0;
        clip.iLastFileNumber = 0;
        clip.iThirdNumber = -1;
        clip.bSourceClip = true;
        if (eGetClipID(project, entry.qstrName) == 0)
            eRegisterBaseClip(project, entry.qstrName, base, clip);
    }
}
