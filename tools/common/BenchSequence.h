// The generated HD sequence the benchmarks play: numbered PNG files of a moving disc on a
// gradient, and a way to drop them from the kernel's cache so a pass reads the disk.
#pragma once

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QString>
#include <fcntl.h>
#include <unistd.h>

namespace benchsequence {

inline QString qstrBenchFrame(const QString& folder, int index)
{
    return QDir(folder).filePath(QStringLiteral("bench%1.png").arg(index + 1, 4, 10, QLatin1Char('0')));
}

inline bool bBenchWriteSequence(const QString& folder, int frames, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int k = 0; k < frames; ++k) {
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, width, height);
        gradient.setColorAt(0.0, QColor::fromHsv((k * 3) % 360, 200, 220));
        gradient.setColorAt(1.0, QColor::fromHsv((k * 3 + 180) % 360, 200, 60));
        painter.fillRect(image.rect(), gradient);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPoint(width * k / frames, height / 2), height / 6, height / 6);
        painter.end();
        if (!image.save(qstrBenchFrame(folder, k), "PNG"))
            return false;
    }
    return true;
}

// Asks the kernel to drop the files from its cache, so the first pass reads the disk.
inline void vBenchEvictFiles(const QString& folder, int frames)
{
    for (int k = 0; k < frames; ++k) {
        const QByteArray path = QFile::encodeName(qstrBenchFrame(folder, k));
        const int fd = ::open(path.constData(), O_RDONLY);
        if (fd < 0)
            continue;
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

} // namespace benchsequence
