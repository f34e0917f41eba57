// The image I/O library's subsystem definitions: what the stand-in's readers and writers
// handle, and the numerical library's image format codes.
#include "brandor.h"
#include "tamsin.h"
#include "testing.h"

#include <QByteArray>
#include <QImageReader>
#include <QImageWriter>
#include <QMutex>
#include <vector>

namespace {

QMutex g_ifMutex;
std::vector<std::unique_ptr<BRD_ImageIO_Subsystem_Definition>> g_ifDefinitions;
std::vector<const BRD_ImageIO_Subsystem_Definition*> g_ifPointers;

using IfMap = std::map<std::string, std::string>;

// Keeps only the types whose every pattern the toolkit can read (or write).
std::shared_ptr<IfMap> pIfFiltered(const IfMap& candidates, bool write)
{
    const QList<QByteArray> formats
        = write ? QImageWriter::supportedImageFormats() : QImageReader::supportedImageFormats();
    auto map = std::make_shared<IfMap>();
    for (const auto& [type, patterns] : candidates) {
        bool supported = true;
        for (const QByteArray& pattern : QByteArray::fromStdString(patterns).split(';'))
            supported = supported && formats.contains(pattern.mid(2).toLower());
        if (supported)
            (*map)[type] = patterns;
    }
    return map;
}

void vIfBuildDefaults()
{
    g_ifDefinitions.clear();
    auto stills = std::make_unique<BRD_ImageIO_Subsystem_Definition>();
    stills->strName = "Tamsin";
    stills->uiFlags = 1;
    const IfMap images
        = {{"bmp", "*.bmp"}, {"jpeg", "*.jpg;*.jpeg"}, {"png", "*.png"}, {"ppm", "*.ppm"}, {"tiff", "*.tif;*.tiff"}};
    stills->pReadMap = pIfFiltered(images, false);
    stills->pWriteMap = pIfFiltered(images, true);
    stills->strDefaultExtension = "*.tif;*.tiff";
    g_ifDefinitions.push_back(std::move(stills));

    // Pictures that are read but never written by the engine.
    auto web = std::make_unique<BRD_ImageIO_Subsystem_Definition>();
    web->strName = "Web";
    web->uiFlags = 1;
    web->pReadMap = pIfFiltered({{"gif", "*.gif"}, {"webp", "*.webp"}}, false);
    web->strDefaultExtension = "*.png";
    g_ifDefinitions.push_back(std::move(web));
}

void vIfRefreshPointers()
{
    g_ifPointers.clear();
    for (const auto& definition : g_ifDefinitions)
        g_ifPointers.push_back(definition.get());
}

} // namespace

unsigned int uiBRD_GetSubsystemDefinitions(const BRD_ImageIO_Subsystem_Definition* const*& definitions)
{
    QMutexLocker lock(&g_ifMutex);
    if (g_ifDefinitions.empty() && g_ifPointers.empty()) {
        vIfBuildDefaults();
        vIfRefreshPointers();
    }
    definitions = g_ifPointers.data();
    return unsigned(g_ifPointers.size());
}

int tam_image_interpret_format_string(const char* formatUtf8)
{
    static const char* const kCodes[] = {"*.tif", "*.tiff", "*.png", "*.jpg", "*.jpeg", "*.bmp", "*.ppm"};
    const QByteArray text = QByteArray(formatUtf8 ? formatUtf8 : "").trimmed().toLower();
    for (int i = 0; i < int(std::size(kCodes)); ++i) {
        if (text.split(' ').contains(QByteArray(kCodes[i])))
            return i + 1;
    }
    return 10;
}

bool tam_image_file_format_compressed(int format)
{
    // PNG and JPEG compress; TIFF, BMP and PPM are written uncompressed.
    return format == 3 || format == 4 || format == 5;
}

namespace standin::testing {

void vSetSubsystemDefinitions(const std::vector<SubsystemSpec>& specs)
{
    QMutexLocker lock(&g_ifMutex);
    if (specs.empty()) {
        vIfBuildDefaults();
        vIfRefreshPointers();
        return;
    }
    g_ifDefinitions.clear();
    for (const SubsystemSpec& spec : specs) {
        auto definition = std::make_unique<BRD_ImageIO_Subsystem_Definition>();
        definition->strName = spec.strName;
        definition->uiFlags = spec.uiFlags;
        if (spec.bHasRead)
            definition->pReadMap = std::make_shared<IfMap>(spec.vecRead.begin(), spec.vecRead.end());
        if (spec.bHasWrite)
            definition->pWriteMap = std::make_shared<IfMap>(spec.vecWrite.begin(), spec.vecWrite.end());
        definition->strDefaultExtension = spec.strDefaultExtension;
        g_ifDefinitions.push_back(std::move(definition));
    }
    vIfRefreshPointers();
}

} // namespace standin::testing
