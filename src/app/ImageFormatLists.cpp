// Format lists built from the image I/O library's subsystem definitions: the engine's
// cache formats, the file-type combo and the file dialogs' filters.
#include "ClipProbe.h"
#include "FileDialogs.h"
#include "MessageBoxes.h"
#include "brandor.h"
#include "tamsin.h"

#include <QComboBox>
#include <QIcon>

namespace {

using IflDefinitions = std::vector<const BRD_ImageIO_Subsystem_Definition*>;

IflDefinitions vecIflDefinitions()
{
    const BRD_ImageIO_Subsystem_Definition* const* array = nullptr;
    const unsigned int count = uiBRD_GetSubsystemDefinitions(array);
    return IflDefinitions(array, array + count);
}

bool bIflQualifies(const BRD_ImageIO_Subsystem_Definition& definition, int flags)
{
    return (definition.uiFlags & ~unsigned(flags)) == 0;
}

const std::map<std::string, std::string>* pIflMap(const BRD_ImageIO_Subsystem_Definition& definition, bool write)
{
    return write ? definition.pWriteMap.get() : definition.pReadMap.get();
}

QString qstrIflCacheFilter(int flags, bool writeMap, bool forWriting)
{
    QString text;
    bCallReported(nullptr, [&] {
        const IflDefinitions definitions = vecIflDefinitions();
        for (int index = int(definitions.size()) - 1; index >= 0; --index) {
            const BRD_ImageIO_Subsystem_Definition& definition = *definitions[size_t(index)];
            const auto* map = pIflMap(definition, writeMap);
            if (!bIflQualifies(definition, flags) || definition.strName != "Tamsin" || !map)
                continue;
            size_t position = 0;
            for (const auto& entry : *map) {
                ++position;
                QString value = QString::fromStdString(entry.second).replace(QLatin1Char(';'), QLatin1Char(' '));
                if (text.contains(value, Qt::CaseInsensitive))
                    continue;
                if (forWriting) {
                    const int format = tam_image_interpret_format_string(value.toUtf8().constData());
                    if (format == 10 || tam_image_file_format_compressed(format))
                        continue;
                }
                text += value.toLower() + QLatin1Char(' ') + value.toUpper();
                if (position != map->size())
                    text += QLatin1Char(' ');
            }
            if (index != 0)
                text += QLatin1Char(' ');
        }
    });
    return text;
}

} // namespace

QString qstrGetReadFileFilter(int fileTypeFlags, bool writeMap)
{
    return qstrIflCacheFilter(fileTypeFlags, writeMap, false);
}

QString qstrGetWriteFileFilter(int fileTypeFlags, bool writeMap)
{
    return qstrIflCacheFilter(fileTypeFlags, writeMap, true);
}

void vFillFileTypeCombo(QComboBox* combo, bool checkWritable, int imageFormat, int imageType, bool tamsinOnly,
    const QByteArray& currentType, int flags)
{
    CW_CallbackStruct* callbacks = pstctBRD_GetCallbackStruct();
    const bool anyFormat = imageFormat == 13 && imageType == 17;
    auto writable = [&](const QByteArray& type) {
        return !callbacks->pfnIsWritable || callbacks->pfnIsWritable(callbacks->pUserWord, type.constData()) != 0;
    };
    auto supported = [&](const QByteArray& type, int queryFlags) {
        return anyFormat || !callbacks->pfnIsFormatSupported
            || callbacks->pfnIsFormatSupported(
                   callbacks->pUserWord, type.constData(), imageFormat, imageType, queryFlags)
            != 0;
    };

    if (!currentType.isEmpty() && (!checkWritable || (writable(currentType) && supported(currentType, flags))))
        combo->addItem(QIcon(), QString::fromUtf8(currentType));

    for (const BRD_ImageIO_Subsystem_Definition* definition : vecIflDefinitions()) {
        if (definition->uiFlags != 1 || (tamsinOnly && definition->strName != "Tamsin") || !definition->pWriteMap
            || definition->pWriteMap->empty())
            continue;
        for (const auto& entry : *definition->pWriteMap) {
            for (const QByteArray& piece : QByteArray::fromStdString(entry.second).split(';')) {
                const int first = piece.indexOf('*');
                const int second = first < 0 ? -1 : piece.indexOf('*', first + 1);
                const QByteArray type
                    = first < 0 ? QByteArray() : piece.mid(first + 1, second < 0 ? -1 : second - first - 1);
                if (checkWritable && !writable(type))
                    continue;
                if (!supported(type, 0))
                    continue;
                if (!currentType.isEmpty()
                    && QString::fromUtf8(type).contains(QString::fromUtf8(currentType), Qt::CaseInsensitive))
                    continue;
                if (combo->findText(QString::fromUtf8(type), Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
                    continue;
                combo->addItem(QIcon(), QString::fromUtf8(type));
            }
        }
    }
}

QStringList qslGetFileTypeFilters(int fileTypeFlags, bool write)
{
    QStringList filters;
    bCallReported(nullptr, [&] {
        const IflDefinitions definitions = vecIflDefinitions();
        QString first;
        if ((fileTypeFlags & 3) == 3)
            first = QStringLiteral("Images and Movies (");
        else if (fileTypeFlags & 2)
            first = QStringLiteral("Movies (");
        else if (fileTypeFlags & 1)
            first = QStringLiteral("Images (");

        for (int index = int(definitions.size()) - 1; index >= 0; --index) {
            const BRD_ImageIO_Subsystem_Definition& definition = *definitions[size_t(index)];
            const auto* map = pIflMap(definition, write);
            if (!bIflQualifies(definition, fileTypeFlags) || !map)
                continue;
            size_t position = 0;
            for (const auto& entry : *map) {
                ++position;
                const QString value = QString::fromStdString(entry.second).replace(QLatin1Char(';'), QLatin1Char(' '));
                if (first.contains(value, Qt::CaseInsensitive))
                    continue;
                first += value.toLower();
                if (position != map->size())
                    first += QLatin1Char(' ');
            }
            if (index != 0)
                first += QLatin1Char(' ');
        }
        filters << first + QLatin1Char(')');

        QString listed;
        for (int index = int(definitions.size()) - 1; index >= 0; --index) {
            const BRD_ImageIO_Subsystem_Definition& definition = *definitions[size_t(index)];
            const auto* map = pIflMap(definition, write);
            if (!bIflQualifies(definition, fileTypeFlags) || !map)
                continue;
            for (const auto& entry : *map) {
                const QString value = QString::fromStdString(entry.second).replace(QLatin1Char(';'), QLatin1Char(' '));
                if (listed.contains(value, Qt::CaseInsensitive))
                    continue;
                filters << QString::fromStdString(entry.first).toUpper() + QStringLiteral(" files (") + value.toLower()
                        + QLatin1Char(')');
                listed += value.toLower();
            }
        }
        filters << QStringLiteral("All Files (*.* *)");
    });
    return filters;
}

QString qstrGetFileTypeFilter(int fileTypeFlags, bool write)
{
    return qslGetFileTypeFilters(fileTypeFlags, write).join(QStringLiteral(";;"));
}
