// Layer scripts: layers with their parameters and keys as text, in the sections of the
// project file behind a header of their own:
//
//   CORVANE LAYER SCRIPT
//   version 1
//   [layer 3]
//   name=Foreground
//   ...
//
// Reading adds the layers to a project under new numbers.
#include "ProjectFile.h"

#include "testing.h"
#include "velmor.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

const char* const CW_LayerDataFormatExtension[] = {".layer"};

namespace {

using standin::projectfile::Section;

const QString kLfMagic = QStringLiteral("CORVANE LAYER SCRIPT");
const QString kLfVersion = QStringLiteral("version 1");
constexpr qint64 kLfMaximumFileSize = 64LL * 1024 * 1024;

void vLfCheckFormat(_CW_LayerDataFormat format)
{
    if (format != CW_LAYER_DATA_SCRIPT)
        throw CW_Exception("This layer data format cannot be written.", "layer data: unknown format");
}

QString qstrLfScript(CW_Instance project, const QList<uint>& layers)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        throw CW_Exception("There is no project to export layers from.", "layer data: invalid handle");

    std::vector<Section> all;
    standin::projectfile::vWriteLayers(*project, all);
    standin::projectfile::vWriteLayerParameters(*project, all);
    // Layer sections first, each layer's parameters after them, in the project's order.
    std::vector<Section> chosen;
    for (const Section& section : all) {
        bool ok = false;
        const uint id = section.qstrArgument.toUInt(&ok);
        if (ok && layers.contains(id))
            chosen.push_back(section);
    }
    return kLfMagic + QLatin1Char('\n') + kLfVersion + QLatin1Char('\n')
        + standin::projectfile::qstrSectionsText(chosen);
}

[[noreturn]] void vLfDamaged(const QString& path, const QString& detail)
{
    throw CW_BadFile(__FILE__, __LINE__, ("layer file: " + detail).toStdString(),
        QStringLiteral("The layer file \"%1\" is damaged and cannot be imported: %2.").arg(path, detail).toStdString());
}

} // namespace

QString getLayerInfo(CW_Instance project, _CW_LayerDataFormat format, _CW_LayerDataScope, const QList<uint>& layers)
{
    vLfCheckFormat(format);
    return qstrLfScript(project, layers);
}

void vSaveLayerInfo(CW_Instance project, _CW_LayerDataFormat format, _CW_LayerDataScope, const char* fileNameUtf8,
    const QList<uint>& layers)
{
    vLfCheckFormat(format);
    const QString path = QString::fromUtf8(fileNameUtf8 ? fileNameUtf8 : "");
    const QByteArray bytes = qstrLfScript(project, layers).toUtf8();
    QSaveFile file(path);
    if (path.isEmpty() || standin::testing::bIsReadOnlyFolder(QFileInfo(path).absolutePath())
        || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw CW_Exception(QStringLiteral("The layer data could not be written to \"%1\": %2")
                               .arg(path, file.errorString())
                               .toStdString(),
            "vSaveLayerInfo failed");
}

bool readLayerFile(CW_Instance project, const char* pathUtf8)
{
    const QString path = QString::fromUtf8(pathUtf8 ? pathUtf8 : "");
    if (!bIsValidInstance(project))
        return false;

    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        throw CW_Exception(
            QStringLiteral("The layer file \"%1\" cannot be read: %2").arg(path, file.errorString()).toStdString(),
            "readLayerFile: cannot open");
    if (file.size() > kLfMaximumFileSize)
        vLfDamaged(path, QStringLiteral("it is too large for a layer file"));
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (lines.size() < 2 || lines[0] != kLfMagic)
        vLfDamaged(path, QStringLiteral("it is not a layer file"));
    if (lines[1] != kLfVersion)
        vLfDamaged(path, QStringLiteral("it is of a version this program cannot read"));
    lines.erase(lines.begin(), lines.begin() + 2);

    std::vector<Section> sections;
    QString error;
    if (!standin::projectfile::bParseSections(lines, sections, error))
        vLfDamaged(path, error);

    // Everything is read into a scratch record first, so a damaged file adds nothing.
    CW_ProjectRecord scratch;
    try {
        for (const Section& section : sections) {
            if (section.qstrKind == QLatin1String("layer"))
                standin::projectfile::vReadLayer(section, scratch);
            else if (section.qstrKind == QLatin1String("parameter"))
                standin::projectfile::vReadLayerParameter(section, scratch);
            else
                vLfDamaged(path, QStringLiteral("it holds an unknown section [%1]").arg(section.qstrKind));
        }
    } catch (const CW_BadFile& e) {
        if (QString::fromStdString(e.strUserMessage()).startsWith(QStringLiteral("The layer file")))
            throw;
        QString detail = QString::fromStdString(e.strDeveloperMessage());
        detail.remove(QStringLiteral("project file: "));
        vLfDamaged(path, detail);
    }
    if (scratch.vecLayers.empty())
        return false;

    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return false;
    for (standin::LayerRecord& layer : scratch.vecLayers) {
        layer.iID = project->iNextLayerID++;
        project->vecLayers.push_back(std::move(layer));
    }
    project->bChanged = true;
    return true;
}
