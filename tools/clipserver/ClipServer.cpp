#include "ClipServer.h"

#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QSettings>
#include <cstdio>
#include <map>
#include <tuple>

namespace clipserver {

namespace {

// A clip.ini larger than this is not read.
constexpr qint64 kiMaximumSettingsBytes = 64 * 1024;

struct Sequence {
    QString qstrPrefix;
    QString qstrSuffix;
    int iDigits = 0;
    std::map<int, QString> mapFiles;
};

} // namespace

bool bIsPlainName(const QString& name)
{
    if (name.isEmpty() || name.size() > 255 || name == QLatin1String(".") || name.contains(QLatin1String("..")))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

bool bGetServerFolder(const QString& server, QDir& folder, QString& error)
{
    const QString root = qEnvironmentVariable("PLINTRA_CLIP_SERVER_ROOT");
    if (root.isEmpty()) {
        error = QStringLiteral("No clip server is configured on this machine (PLINTRA_CLIP_SERVER_ROOT is not set).");
        return false;
    }
    if (!bIsPlainName(server)) {
        error = QStringLiteral("\"%1\" is not a clip server name.").arg(server);
        return false;
    }
    folder = QDir(QDir(root).filePath(server));
    if (!folder.exists()) {
        error = QStringLiteral("There is no clip server named \"%1\".").arg(server);
        return false;
    }
    return true;
}

bool bReadClip(const QDir& clipFolder, Clip& clip, QString& error)
{
    static const QRegularExpression kNumbered(QStringLiteral("^(.*?)(\\d{1,9})\\.([A-Za-z0-9]{1,8})$"));
    const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    std::map<std::tuple<QString, QString, int>, Sequence> sequences;
    const QFileInfoList entries = clipFolder.entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QRegularExpressionMatch match = kNumbered.match(entry.fileName());
        if (!match.hasMatch() || !readable.contains(match.captured(3).toLower().toLatin1()))
            continue;
        const QString digits = match.captured(2);
        // Unpadded numbers of any length belong together; padded ones by their width.
        const int width = digits.size() > 1 && digits.startsWith(QLatin1Char('0')) ? int(digits.size()) : 0;
        Sequence& sequence = sequences[{match.captured(1), match.captured(3), width}];
        if (int(sequence.mapFiles.size()) >= kiMaximumFrames)
            continue;
        sequence.qstrPrefix = match.captured(1);
        sequence.qstrSuffix = match.captured(3);
        sequence.iDigits = width;
        sequence.mapFiles.emplace(digits.toInt(), entry.absoluteFilePath());
    }
    const Sequence* chosen = nullptr;
    for (const auto& entry : sequences) {
        if (!chosen || entry.second.mapFiles.size() > chosen->mapFiles.size())
            chosen = &entry.second;
    }
    if (!chosen) {
        error = QStringLiteral("The clip \"%1\" holds no numbered images.").arg(clipFolder.dirName());
        return false;
    }
    clip = Clip();
    clip.qstrName = clipFolder.dirName();
    clip.qstrPrefix = chosen->qstrPrefix;
    clip.qstrSuffix = chosen->qstrSuffix;
    clip.iDigits = chosen->iDigits;
    for (const auto& [number, path] : chosen->mapFiles) {
        clip.vecNumbers.push_back(number);
        clip.qslFiles.append(path);
    }
    clip.size = QImageReader(clip.qslFiles.first()).size();
    if (!clip.size.isValid()) {
        error = QStringLiteral("The first image of the clip \"%1\" cannot be read.").arg(clip.qstrName);
        return false;
    }

    const QFileInfo settingsFile(clipFolder.filePath(QStringLiteral("clip.ini")));
    if (settingsFile.isFile() && settingsFile.size() <= kiMaximumSettingsBytes) {
        QSettings settings(settingsFile.filePath(), QSettings::IniFormat);
        bool ok = false;
        const int rate = settings.value(QStringLiteral("rate")).toString().toInt(&ok);
        if (ok && rate >= 1 && rate <= 120)
            clip.iRate = rate;
        qint64 start = 0;
        if (bParseTimecode(settings.value(QStringLiteral("start")).toString(), clip.iRate, start))
            clip.iStartFrame = start;
        const QString scan = settings.value(QStringLiteral("scan")).toString().trimmed();
        if (!scan.isEmpty() && scan.size() <= 32 && bIsPlainName(scan))
            clip.qstrScan = scan;
    }
    return true;
}

QString qstrTimecode(qint64 frames, int rate)
{
    const qint64 seconds = frames / rate;
    return QStringLiteral("%1:%2:%3:%4")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(frames % rate, 2, 10, QLatin1Char('0'));
}

bool bParseTimecode(const QString& text, int rate, qint64& frames)
{
    static const QRegularExpression kTimecode(QStringLiteral("^(\\d{1,2}):(\\d{1,2}):(\\d{1,2}):(\\d{1,2})$"));
    const QRegularExpressionMatch match = kTimecode.match(text);
    if (!match.hasMatch())
        return false;
    const int hours = match.captured(1).toInt();
    const int minutes = match.captured(2).toInt();
    const int seconds = match.captured(3).toInt();
    const int frame = match.captured(4).toInt();
    if (minutes > 59 || seconds > 59 || frame >= rate)
        return false;
    frames = (qint64(hours) * 3600 + minutes * 60 + seconds) * rate + frame;
    return true;
}

QString qstrEscapeXml(const QString& text)
{
    return text.toHtmlEscaped();
}

void vWriteOut(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void vWriteError(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace clipserver
