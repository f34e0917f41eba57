#include "ResourceLoading.h"

#include "ProductStrings.h"
#include "Settings.h"
#include "velmor.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>

namespace {
const QString kResourcePrefix = QStringLiteral(":/Resources/");
}

// The pictures are compiled into this static library and nothing refers to their generated
// registration, so the linker would leave them out of the program without this call.
static int iResourceLoadingRegisterImages()
{
    Q_INIT_RESOURCE(images);
    return 0;
}
static const int g_iResourceLoadingImagesRegistered = iResourceLoadingRegisterImages();

QString qstrGetLogoFileName(const QString& product)
{
    return product + QStringLiteral("Logo.png");
}

QString qstrGetSplashFileName(const QString& product)
{
    return product + QStringLiteral("Splash.png");
}

QString qstrGetIconFileName(const QString& product)
{
    return product + QStringLiteral("Icon.png");
}

QPixmap qpixGetResourcePixmap(const QString& name)
{
    return QPixmap(QLatin1Char(':') + name);
}

QIcon qicnGetResourceIconSet(const QString& fileName)
{
    QString pattern = kResourcePrefix + fileName;
    const int dot = pattern.lastIndexOf(QLatin1Char('.'));
    if (dot > kResourcePrefix.size() - 1)
        pattern.insert(dot, QStringLiteral("%1"));
    const auto load = [&pattern](const char* state) {
        return QPixmap(pattern.contains(QStringLiteral("%1")) ? pattern.arg(QLatin1String(state)) : pattern);
    };

    const QPixmap normal = load("");
    if (normal.isNull())
        return QIcon();
    QIcon icon;
    icon.addPixmap(normal, QIcon::Normal, QIcon::Off);
    const struct {
        const char* state;
        QIcon::Mode mode;
    } kStates[] = {{"Disabled", QIcon::Disabled}, {"Active", QIcon::Active}, {"Selected", QIcon::Selected}};
    for (const auto& state : kStates) {
        const QPixmap picture = load(state.state);
        if (!picture.isNull())
            icon.addPixmap(picture, state.mode, QIcon::Off);
    }
    return icon;
}

QPixmap qpixGetResourcePixmapWithAlpha(const QString& fileName)
{
    QImage image(kResourcePrefix + fileName);
    if (image.isNull())
        return QPixmap();
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QImage alpha = image.convertToFormat(QImage::Format_Alpha8);
    image.fill(qcolGetProductColour(qstrGetProduct()));
    image.setAlphaChannel(alpha);
    return QPixmap::fromImage(image);
}

QBitmap qbmpGetResourceBitmap(const QString& fileName, bool convert)
{
    QBitmap bitmap(kResourcePrefix + fileName);
    if (convert && !bitmap.isNull())
        bitmap = QBitmap::fromImage(bitmap.toImage().convertToFormat(QImage::Format_Mono));
    return bitmap;
}

QBitmap qpixGetResourcePixmapMasked(const QString& fileName)
{
    return qbmpGetResourceBitmap(fileName, true);
}

void vLoadStyleSheet(const QString& fileName)
{
    QFile file(qstrGetInstallPath(QStringLiteral("resources/stylesheets/") + fileName));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QString text = QString::fromUtf8(file.readAll());
    if (text.isEmpty())
        return;
    qApp->setStyleSheet(qApp->styleSheet() + QLatin1Char('\n') + text);
}

void vLoadApplicationFonts()
{
    const QDir folder(qstrGetInstallPath(QStringLiteral("resources/fonts")));
    if (!folder.isReadable())
        return;
    const QStringList fonts = folder.entryList({QStringLiteral("*.ttf")}, QDir::Files, QDir::Unsorted);
    for (const QString& font : fonts)
        QFontDatabase::addApplicationFont(folder.absoluteFilePath(font));
}
