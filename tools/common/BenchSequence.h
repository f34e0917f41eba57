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
#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace benchsequence {

inline QString qstrBenchFrame(const QString& folder, int index)
{
    return QDir(folder).filePath(QStringLiteral("bench%1.png").arg(index + 1, 4, 10, QLatin1Char('0')));
}

// With deep set, 16 bits a channel, with a faint grain in the low bits as a scan has.
inline bool bBenchWriteSequence(const QString& folder, int frames, int width, int height, bool deep = false)
{
    QImage image(width, height, deep ? QImage::Format_RGBX64 : QImage::Format_RGB32);
    for (int k = 0; k < frames; ++k) {
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, width, height);
        gradient.setColorAt(0.0, QColor::fromHsv((k * 3) % 360, 200, 220));
        gradient.setColorAt(1.0, QColor::fromHsv((k * 3 + 180) % 360, 200, 60));
        painter.fillRect(image.rect(), gradient);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPoint(width * k / frames, height / 2), height / 6, height / 6);
        painter.end();
        if (deep) {
            quint32 seed = 2463534242u + quint32(k);
            for (int y = 0; y < height; ++y) {
                auto* row = reinterpret_cast<quint16*>(image.scanLine(y));
                for (int x = 0; x < width * 4; ++x) {
                    if (x % 4 == 3)
                        continue;
                    seed ^= seed << 13;
                    seed ^= seed >> 17;
                    seed ^= seed << 5;
                    const int value = int(row[x]) + int(seed % 257u) - 128;
                    row[x] = quint16(std::clamp(value, 0, 65535));
                }
            }
        }
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
