#include "ClipServerFixtures.h"

#include "app/Settings.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QSettings>

namespace testenv {

ClipServerRoot::ClipServerRoot(const QString& folder)
    : m_qstrRoot(folder)
{
    QDir().mkpath(folder);
    qputenv("PLINTRA_CLIP_SERVER_ROOT", folder.toLocal8Bit());
    pGetUserSettings()->setValue(QStringLiteral("InstallDir"), QStringLiteral(PLINTRA_STAGE_DIR "/"));
}

ClipServerRoot::~ClipServerRoot()
{
    qunsetenv("PLINTRA_CLIP_SERVER_ROOT");
    pGetUserSettings()->remove(QStringLiteral("InstallDir"));
}

QString ClipServerRoot::qstrAddClip(
    const QString& server, const QString& clip, const QString& prefix, int count, QSize size, int firstNumber)
{
    const QString folder = QDir(m_qstrRoot).filePath(server + QLatin1Char('/') + clip);
    QDir().mkpath(folder);
    for (int k = 0; k < count; ++k)
        bWriteColouredImage(
            QDir(folder).filePath(QStringLiteral("%1%2.png").arg(prefix).arg(firstNumber + k, 4, 10, QLatin1Char('0'))),
            size, qcolFrame(k));
    return folder;
}

QColor qcolFrame(int frame)
{
    return QColor((40 + frame * 37) % 256, (200 - frame * 23 + 512) % 256, (90 + frame * 61) % 256);
}

bool bWriteColouredImage(const QString& path, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path);
}

bool bImageIsColour(const QString& path, QColor colour, int tolerance)
{
    const QImage image = QImageReader(path).read();
    if (image.isNull())
        return false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) > tolerance || std::abs(pixel.green() - colour.green()) > tolerance
                || std::abs(pixel.blue() - colour.blue()) > tolerance)
                return false;
        }
    }
    return true;
}

} // namespace testenv
