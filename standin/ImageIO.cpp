#include "brandor.h"
#include "DataExport.h"
#include "ImageBuffers.h"
#include "tamsin.h"
#include "testing.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QMutex>
#include <QRegularExpression>
#include <algorithm>
#include <set>

namespace {
std::function<void()> g_fnResourcesDestroyed;
}

void standin::testing::vOnResourcesDestroyed(std::function<void()> hook)
{
    g_fnResourcesDestroyed = std::move(hook);
}

void BRD_SharedResources::destroyResources()
{
    m_bDestroyed = true;
    if (g_fnResourcesDestroyed)
        g_fnResourcesDestroyed();
}

namespace {

QMutex g_ioMutex;
CW_CallbackStruct g_callbacks;
bool g_bHardwareRendering = false;
void (*g_pfnThrow)(const char*, const char*) = nullptr;

// File types come as the libraries name them, with or without the leading dot.
QByteArray baIoType(const char* fileType)
{
    QByteArray type = QByteArray(fileType ? fileType : "").toLower();
    if (type.startsWith('.'))
        type.remove(0, 1);
    return type;
}

int iIsWritable(void*, const char* fileType)
{
    const QByteArray type = baIoType(fileType);
    return QImageWriter::supportedImageFormats().contains(type) ? 1 : 0;
}

// Only what can really be written: the image's channels (alpha) and depth included.
int iIsFormatSupported(void*, const char* fileType, int imageFormat, int imageType, int)
{
    return standin::bCanWriteImageType(QString::fromLatin1(baIoType(fileType)), imageFormat, imageType) ? 1 : 0;
}

// Format codes the engine stores per clip, by file suffix.
int iFormatCode(const QString& suffix)
{
    static const QStringList kSuffixes = {"tif", "tiff", "png", "jpg", "jpeg", "bmp", "ppm", "tga", "gif", "webp"};
    const int index = kSuffixes.indexOf(suffix.toLower());
    return index < 0 ? 10 : index + 1;
}

struct NumberedName {
    QString qstrPrefix;
    QString qstrDigits;
    QString qstrTail;
};

bool bSplitNumbered(const QString& fileName, NumberedName& out)
{
    static const QRegularExpression kPattern(QStringLiteral("^(.*?)(\\d+)([^\\d]*)$"));
    const QRegularExpressionMatch match = kPattern.match(fileName);
    if (!match.hasMatch())
        return false;
    out = {match.captured(1), match.captured(2), match.captured(3)};
    return true;
}

// The image format and pixel type of a file as its reader reports them; an unreadable
// file counts as 8-bit RGB.
void vIoGetFormatAndType(const QString& path, int& format, int& type)
{
    format = TAM_RGB;
    type = TAM_UINT8;
    const QImage::Format stored = QImageReader(path).imageFormat();
    if (stored == QImage::Format_Invalid)
        return;
    const QPixelFormat pixel = QImage::toPixelFormat(stored);
    if (pixel.colorModel() == QPixelFormat::Grayscale || pixel.colorModel() == QPixelFormat::Alpha)
        format = TAM_GREY;
    else if (pixel.alphaUsage() == QPixelFormat::UsesAlpha)
        format = TAM_RGBA;
    if (pixel.typeInterpretation() == QPixelFormat::FloatingPoint)
        type = TAM_FLOAT32;
    else if (pixel.channelCount() > 0 && pixel.bitsPerPixel() / pixel.channelCount() > 8)
        type = TAM_UINT16;
}

class Router final : public BRD_ImageIO_Router {
public:
    void vOpenMovie(CW_OpenMovieStruct& movie) override
    {
        const QFileInfo info(movie.qstrPath);
        if (!info.isFile() || !info.isReadable())
            throw CW_Exception("Unable to open " + movie.qstrPath.toStdString(), "vOpenMovie: no readable file");
        vIoGetFormatAndType(info.absoluteFilePath(), movie.iImageFormat, movie.iImageType);
        QMutexLocker lock(&g_ioMutex);
        m_openFiles.insert(info.absoluteFilePath());
    }

    void vCloseMovie(const char* pathUtf8) override
    {
        const QString path = QFileInfo(QString::fromUtf8(pathUtf8)).absoluteFilePath();
        QMutexLocker lock(&g_ioMutex);
        auto it = m_openFiles.find(path);
        if (it != m_openFiles.end())
            m_openFiles.erase(it);
    }

    bool bIsValidClip(const char* pathUtf8, int, const CW_ColourspaceParameters&, std::string& folder,
                      std::string& name, std::string& thirdPart, int& first, int& last, int& thirdNumber,
                      int& interlaceMode, float& frameRate) override
    {
        const QFileInfo info(QString::fromUtf8(pathUtf8));
        {
            QMutexLocker lock(&g_ioMutex);
            if (!m_openFiles.count(info.absoluteFilePath()))
                return false;
        }
        QImageReader reader(info.absoluteFilePath());
        if (!reader.canRead())
            return false;

        folder = (info.absolutePath() + QLatin1Char('/')).toStdString();
        interlaceMode = 0;
        frameRate = 0.0f; // still images carry no rate of their own

        NumberedName parts;
        if (!bSplitNumbered(info.fileName(), parts)) {
            const int dot = info.fileName().lastIndexOf(QLatin1Char('.'));
            name = info.fileName().left(dot < 0 ? info.fileName().size() : dot).toStdString();
            thirdPart = dot < 0 ? std::string() : info.fileName().mid(dot).toStdString();
            first = last = 0;
            thirdNumber = -1; // a single image without a frame number
            return true;
        }

        const bool padded = parts.qstrDigits.size() > 1 && parts.qstrDigits.startsWith(QLatin1Char('0'));
        const int given = parts.qstrDigits.toInt();
        std::set<int> numbers;
        const QStringList entries = QDir(info.absolutePath()).entryList(QDir::Files);
        for (const QString& entry : entries) {
            NumberedName other;
            if (!bSplitNumbered(entry, other) || other.qstrPrefix != parts.qstrPrefix || other.qstrTail != parts.qstrTail)
                continue;
            if (padded ? other.qstrDigits.size() != parts.qstrDigits.size()
                       : (other.qstrDigits.size() > 1 && other.qstrDigits.startsWith(QLatin1Char('0'))))
                continue;
            numbers.insert(other.qstrDigits.toInt());
        }
        first = last = given;
        while (numbers.count(first - 1))
            --first;
        while (numbers.count(last + 1))
            ++last;
        name = parts.qstrPrefix.toStdString();
        thirdPart = parts.qstrTail.toStdString();
        thirdNumber = padded ? int(parts.qstrDigits.size()) : 0;
        return true;
    }

    bool bGetImageInfo(const char* pathUtf8, int, unsigned int& width, unsigned int& height, int& imageFormat,
                       int& imageType, int& fileFormat, std::string& headerInfo) override
    {
        QImageReader reader(QString::fromUtf8(pathUtf8));
        const QSize size = reader.size();
        if (!reader.canRead() || !size.isValid())
            return false;
        width = unsigned(size.width());
        height = unsigned(size.height());
        const QString suffix = QFileInfo(QString::fromUtf8(pathUtf8)).suffix();
        imageFormat = iFormatCode(suffix);
        fileFormat = imageFormat;
        imageType = 1;
        headerInfo = (reader.format().toUpper() + QByteArray(" ") + QByteArray::number(size.width()) + "x" +
                      QByteArray::number(size.height()))
                         .toStdString();
        return true;
    }

    void vSetParentWindow(QWidget* window, QTimer* timer) override
    {
        QMutexLocker lock(&g_ioMutex);
        m_pParent = window;
        m_pTimer = timer;
    }

    int iOpenMovieCount() const override
    {
        QMutexLocker lock(&g_ioMutex);
        return int(m_openFiles.size());
    }

    void vForgetOpenFiles()
    {
        QMutexLocker lock(&g_ioMutex);
        m_openFiles.clear();
    }

private:
    std::multiset<QString> m_openFiles;
    QWidget* m_pParent = nullptr;
    QTimer* m_pTimer = nullptr;
};

Router g_router;

} // namespace

void vBRD_InitialiseCallbacks(bool useHardwareRendering)
{
    QMutexLocker lock(&g_ioMutex);
    g_bHardwareRendering = useHardwareRendering;
    if (!g_callbacks.pResources)
        g_callbacks.pResources = std::make_shared<BRD_SharedResources>();
    g_callbacks.pfnIsWritable = &iIsWritable;
    g_callbacks.pfnIsFormatSupported = &iIsFormatSupported;
}

CW_CallbackStruct* pstctBRD_GetCallbackStruct()
{
    // The image buffers are the library's own: there before anyone initialises the record.
    static const bool s_bBuffersInstalled = (standin::vInstallImageBufferCallbacks(g_callbacks), true);
    (void)s_bBuffersInstalled;
    return &g_callbacks;
}

bool bBRD_GetUseHardwareRendering()
{
    QMutexLocker lock(&g_ioMutex);
    return g_bHardwareRendering;
}

void vBRD_RegisterThrowFunction(void (*throwFunction)(const char*, const char*))
{
    QMutexLocker lock(&g_ioMutex);
    g_pfnThrow = throwFunction;
}

BRD_ImageIO_Router* pGetImageIORouter()
{
    return &g_router;
}

namespace standin::testing {
void vResetImageIO()
{
    g_router.vForgetOpenFiles();
}
} // namespace standin::testing

double BRD_ImageIO_Router::getGamma(const char*) const
{
    return 1.0;
}

bool BRD_ImageIO_Router::isColourspaceConversionEnabled(const char* pathUtf8) const
{
    // Only the film-scan formats carry log data worth converting.
    const QString suffix = QFileInfo(QString::fromUtf8(pathUtf8)).suffix().toLower();
    return suffix == QLatin1String("dpx") || suffix == QLatin1String("cin");
}
