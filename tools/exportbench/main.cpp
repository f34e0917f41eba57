// Rendered-clip export speed: a generated clip registered as a rendered result is written
// as PNG and as TIFF files with ePrepareToSaveClip and vSaveClip, as the render dialog's
// worker does; each frame is read from its file, composed and written.
//
//   exportbench [--frames N] [--size WxH] [--tiny]
//
// Ends with one line of name=value pairs.
#include "brandor.h"
#include "common/CardClip.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

namespace {

struct Options {
    int iFrames = 100;
    int iWidth = 1920;
    int iHeight = 1080;
};

bool bParse(const QStringList& args, Options& o)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString arg = args[i];
        const bool more = i + 1 < args.size();
        if (arg == QLatin1String("--tiny")) {
            o.iFrames = 3;
            o.iWidth = 160;
            o.iHeight = 90;
        } else if (arg == QLatin1String("--frames") && more) {
            bool ok = false;
            o.iFrames = args[++i].toInt(&ok);
            if (!ok)
                return false;
        } else if (arg == QLatin1String("--size") && more) {
            if (std::sscanf(args[++i].toUtf8().constData(), "%dx%d", &o.iWidth, &o.iHeight) != 2)
                return false;
        } else {
            return false;
        }
    }
    return o.iFrames >= 1 && o.iFrames <= 10000 && o.iWidth >= 16 && o.iHeight >= 16 && o.iWidth <= 8192
        && o.iHeight <= 8192;
}

QString g_qstrMessage;

void vMessage(void*, const char*, const char* text)
{
    g_qstrMessage = QString::fromUtf8(text);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    Options o;
    if (!bParse(app.arguments(), o)) {
        std::fprintf(stderr, "usage: exportbench [--frames N] [--size WxH] [--tiny]\n");
        return 2;
    }
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString render = dir.filePath(QStringLiteral("render"));
    QDir().mkpath(render);

    // A few distinct generated frames, repeated to the clip's length: the files differ in
    // name only, which the writer does not see.
    cardclip::CardClipOptions card;
    card.iFrames = std::min(o.iFrames, 8);
    card.iWidth = o.iWidth;
    card.iHeight = o.iHeight;
    const cardclip::CardClip clip = cardclip::clipGenerate(card);
    for (int k = 0; k < o.iFrames; ++k) {
        const QString path = QStringLiteral("%1/result.%2.png").arg(render).arg(1001 + k, 4, 10, QLatin1Char('0'));
        if (k < card.iFrames) {
            const auto& frame = clip.vecFrames[std::size_t(k)];
            const QImage image(frame.data(), frame.width(), frame.height(), int(frame.stride()), QImage::Format_RGB888);
            if (!image.save(path))
                return 1;
        } else if (!QFile::copy(QStringLiteral("%1/result.%2.png")
                                    .arg(render)
                                    .arg(1001 + k % card.iFrames, 4, 10, QLatin1Char('0')),
                       path)) {
            return 1;
        }
    }

    pstctBRD_GetCallbackStruct()->pfnWarningMessage = &vMessage;
    CW_Instance project = standin::testing::pCreateProject();
    CW_BaseClipInfo base;
    base.uiWidth = unsigned(o.iWidth);
    base.uiHeight = unsigned(o.iHeight);
    base.uiCount = unsigned(o.iFrames);
    base.iFirstIndex = 1001;
    base.iFrameOffset = 1001;
    CW_ClipInfo files;
    files.qstrFolder = render;
    files.qstrFileName = QStringLiteral("result.");
    files.qstrThirdPart = QStringLiteral(".png");
    files.iFirstFileNumber = 1001;
    files.iLastFileNumber = 1000 + o.iFrames;
    files.iThirdNumber = 4;
    files.iImageFormat = 2;
    files.iImageType = 1;
    standin::testing::vRegisterClip(project, 1, base);
    standin::testing::vSetClipListing(project, 1, QStringLiteral("result"), files);

    double fps[2] = {0, 0};
    const char* types[2] = {".png", ".tif"};
    for (int t = 0; t < 2; ++t) {
        const QString out = dir.filePath(QString::fromLatin1(types[t] + 1));
        QDir().mkpath(out);
        CW_ExportClipInfo info;
        info.eClip = 1;
        info.bSaveColour = true;
        info.iImageFormat = 2;
        info.iPixelType = 1;
        info.uiIndexStart = 1;
        info.uiIndexWidth = 4;
        info.uiStartFrame = 0;
        info.uiEndFrame = unsigned(o.iFrames - 1);
        info.setClipPath(out + QLatin1Char('/'));
        info.setClipPrefix(QStringLiteral("shot."));
        info.setClipExtension(QString::fromLatin1(types[t]));
        const auto start = std::chrono::steady_clock::now();
        if (ePrepareToSaveClip(project, &info, true, false) != CW_STATUS_OK) {
            std::fprintf(stderr, "exportbench: refused: %s\n", qPrintable(g_qstrMessage));
            return 1;
        }
        vSaveClip(project, &info, "");
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const int written = int(QDir(out).entryList(QDir::Files).size());
        if (written != o.iFrames || !g_qstrMessage.isEmpty()) {
            std::fprintf(stderr, "exportbench: %d of %d %s files written %s\n", written, o.iFrames, types[t] + 1,
                qPrintable(g_qstrMessage));
            return 1;
        }
        fps[t] = o.iFrames / std::max(seconds, 1e-9);
        std::printf("%s: %d frames of %dx%d in %.3f s, %.2f frames per second\n", types[t] + 1, o.iFrames, o.iWidth,
            o.iHeight, seconds, fps[t]);
    }
    standin::testing::vReset();
    std::printf(
        "frames=%d width=%d height=%d png_fps=%.2f tiff_fps=%.2f\n", o.iFrames, o.iWidth, o.iHeight, fps[0], fps[1]);
    return 0;
}
