// Transfers frames of one clip of a clip server into a local folder, reporting progress as
// XML elements on standard output.
//
// Usage: XMLGet.exe CLIP [-fd FOLDER] [-fn NAME] [-ts START] [-tl LENGTH] [-fo FORMAT]
//                        [-dx WIDTH] -so SERVER
//   FOLDER  an existing folder that receives the frames (required)
//   NAME    the start of the received files' names, without separators or ".."; the
//           clip's own file prefix by default. Files are NAME + frame number + "." + FORMAT.
//   START   time code of the first frame to transfer, in the clip's time code
//   LENGTH  how many frames, as a time code; to the clip's end by default
//   FORMAT  tif, png, jpg or bmp; the clip's own format by default. A frame already in the
//           format at its own width is copied byte for byte, others are converted.
//   WIDTH   the received frames' width, 2 to 10000; the height keeps the aspect.
//
// For each frame: <FILENAME>path</FILENAME><FRAMENUM>n</FRAMENUM><TOTALNUM>total</TOTALNUM>
// <PROGRESS>percent</PROGRESS>; at the end <COMPLETE>total</COMPLETE> and exit code 0.
// A failure prints <ERROR>text</ERROR>, says it on standard error and exits with 1; a file
// that is there already is never overwritten.
//
// For tests of slow links: PLINTRA_XMLGET_FRAME_DELAY_MS (0 to 60000) waits before each
// frame; PLINTRA_XMLGET_IGNORE_TERM=1 ignores the terminate request, so only a kill ends it.
#include "ClipServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QThread>
#include <csignal>
#include <map>

using namespace clipserver;

namespace {

const QStringList kWritableFormats = {QStringLiteral("tif"), QStringLiteral("tiff"), QStringLiteral("png"),
    QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("bmp")};

int iFail(const QString& text)
{
    vWriteOut((QStringLiteral("<ERROR>") + qstrEscapeXml(text) + QStringLiteral("</ERROR>\n")).toUtf8());
    vWriteError(text);
    return kiExitFailure;
}

int iUsage(const QString& text)
{
    vWriteOut((QStringLiteral("<ERROR>") + qstrEscapeXml(text) + QStringLiteral("</ERROR>\n")).toUtf8());
    vWriteError(text);
    return kiExitUsage;
}

QString qstrCanonicalFormat(const QString& format)
{
    const QString lower = format.toLower();
    if (lower == QLatin1String("tiff"))
        return QStringLiteral("tif");
    if (lower == QLatin1String("jpeg"))
        return QStringLiteral("jpg");
    return lower;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariable("PLINTRA_XMLGET_IGNORE_TERM") == QLatin1String("1"))
        std::signal(SIGTERM, SIG_IGN);
    bool delayOk = false;
    const int delayMs = qEnvironmentVariable("PLINTRA_XMLGET_FRAME_DELAY_MS").toInt(&delayOk);
    const unsigned long frameDelay = delayOk && delayMs > 0 && delayMs <= 60000 ? unsigned(delayMs) : 0;

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    static const QStringList kOptions = {QStringLiteral("-fd"), QStringLiteral("-fn"), QStringLiteral("-ts"),
        QStringLiteral("-tl"), QStringLiteral("-fo"), QStringLiteral("-dx"), QStringLiteral("-so")};
    std::map<QString, QString> options;
    QString source;
    bool haveSource = false;
    for (int i = 0; i < arguments.size(); ++i) {
        if (kOptions.contains(arguments[i])) {
            if (i + 1 >= arguments.size())
                return iUsage(QStringLiteral("The option %1 needs a value.").arg(arguments[i]));
            options[arguments[i]] = arguments[i + 1];
            ++i;
        } else if (!haveSource) {
            source = arguments[i];
            haveSource = true;
        } else {
            return iUsage(QStringLiteral("Unexpected argument \"%1\".").arg(arguments[i]));
        }
    }
    if (!haveSource || !options.count(QStringLiteral("-so")) || !options.count(QStringLiteral("-fd")))
        return iUsage(QStringLiteral("Usage: XMLGet.exe CLIP -fd FOLDER [-fn NAME] [-ts START] [-tl LENGTH] "
                                     "[-fo FORMAT] [-dx WIDTH] -so SERVER"));

    QDir serverFolder;
    QString error;
    if (!bGetServerFolder(options[QStringLiteral("-so")], serverFolder, error))
        return iFail(error);
    if (!bIsPlainName(source) || !serverFolder.exists(source))
        return iFail(QStringLiteral("There is no clip named \"%1\" on the server.").arg(source));
    Clip clip;
    if (!bReadClip(QDir(serverFolder.filePath(source)), clip, error))
        return iFail(error);

    const QFileInfo folder(options[QStringLiteral("-fd")]);
    if (!folder.isDir())
        return iFail(QStringLiteral("The destination folder %1 does not exist.").arg(folder.filePath()));
    const QString name = options.count(QStringLiteral("-fn")) ? options[QStringLiteral("-fn")] : clip.qstrPrefix;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QLatin1String(".."))
        || name.size() > 200)
        return iFail(QStringLiteral("The file name \"%1\" may not hold a folder.").arg(name));

    const QString sourceFormat = qstrCanonicalFormat(clip.qstrSuffix);
    const QString format
        = options.count(QStringLiteral("-fo")) ? qstrCanonicalFormat(options[QStringLiteral("-fo")]) : sourceFormat;
    if (!kWritableFormats.contains(format))
        return iFail(QStringLiteral("This server cannot deliver %1 files.").arg(format));

    int width = clip.size.width();
    if (options.count(QStringLiteral("-dx"))) {
        bool ok = false;
        width = options[QStringLiteral("-dx")].toInt(&ok);
        if (!ok || width < 2 || width > 10000)
            return iFail(
                QStringLiteral("The width \"%1\" is not between 2 and 10000.").arg(options[QStringLiteral("-dx")]));
    }

    const qint64 count = clip.qslFiles.size();
    qint64 first = 0;
    if (options.count(QStringLiteral("-ts"))) {
        qint64 start = 0;
        if (!bParseTimecode(options[QStringLiteral("-ts")], clip.iRate, start))
            return iFail(QStringLiteral("\"%1\" is not a time code at %2 frames per second.")
                             .arg(options[QStringLiteral("-ts")])
                             .arg(clip.iRate));
        first = start - clip.iStartFrame;
        if (first < 0 || first >= count)
            return iFail(QStringLiteral("The clip has no frame at %1.").arg(options[QStringLiteral("-ts")]));
    }
    qint64 last = count - 1;
    if (options.count(QStringLiteral("-tl"))) {
        qint64 length = 0;
        if (!bParseTimecode(options[QStringLiteral("-tl")], clip.iRate, length) || length < 1)
            return iFail(QStringLiteral("\"%1\" is not a length at %2 frames per second.")
                             .arg(options[QStringLiteral("-tl")])
                             .arg(clip.iRate));
        last = std::min(last, first + length - 1);
    }

    const qint64 total = last - first + 1;
    const int digits = std::max(4, clip.iDigits);
    for (qint64 k = 0; k < total; ++k) {
        if (frameDelay)
            QThread::msleep(frameDelay);
        const int index = int(first + k);
        const QString from = clip.qslFiles[index];
        const QString to
            = QDir(folder.absoluteFilePath())
                  .filePath(name
                      + QStringLiteral("%1").arg(clip.vecNumbers[size_t(index)], digits, 10, QLatin1Char('0'))
                      + QLatin1Char('.') + format);
        if (QFileInfo::exists(to))
            return iFail(QStringLiteral("%1 exists already.").arg(to));
        if (format == sourceFormat && width == clip.size.width()) {
            if (!QFile::copy(from, to))
                return iFail(QStringLiteral("Unable to copy %1 to %2.").arg(from, to));
        } else {
            QImageReader reader(from);
            QImage image = reader.read();
            if (image.isNull())
                return iFail(QStringLiteral("Unable to read %1: %2").arg(from, reader.errorString()));
            if (image.width() != width)
                image = image.scaledToWidth(width, Qt::SmoothTransformation);
            QImageWriter writer(to, format.toLatin1());
            if (!writer.write(image)) {
                QFile::remove(to);
                return iFail(QStringLiteral("Unable to write %1: %2").arg(to, writer.errorString()));
            }
        }
        vWriteOut(QStringLiteral("<FILENAME>%1</FILENAME>\n<FRAMENUM>%2</FRAMENUM>\n<TOTALNUM>%3</TOTALNUM>\n"
                                 "<PROGRESS>%4</PROGRESS>\n")
                      .arg(qstrEscapeXml(to))
                      .arg(k + 1)
                      .arg(total)
                      .arg((k + 1) * 100 / total)
                      .toUtf8());
    }
    vWriteOut(QStringLiteral("<COMPLETE>%1</COMPLETE>\n").arg(total).toUtf8());
    return 0;
}
