#include "ProductStrings.h"

#include "Vosk.h"
#include "velmor.h"

#include <QCoreApplication>
#include <QStringList>

QString qstrGetApplicationTitle(bool force)
{
    static QString s_qstrTitle;
    if (force || s_qstrTitle.isEmpty()) {
        const QString product = qstrGetProduct();
        s_qstrTitle = QStringLiteral("%1 %2").arg(qstrGetProductName(product), qstrGetProductVersion(product));
    }
    return s_qstrTitle;
}

QString qstrGetProductNameAndVersion(const QString& product)
{
    return qstrGetProductName(product) + qstrGetProductVersion(product);
}

QString qstrGetLongProductTitle()
{
    return qstrGetLongProductVersion(qstrGetProduct());
}

QString qstrGetRenderActionText(const QString& product)
{
    if (qstrGetRenderFunctionName(product) == QLatin1String("Track"))
        return QCoreApplication::translate("ProductStrings", "Track");
    return QCoreApplication::translate("ProductStrings", "Render");
}

bool bIsAlternateProduct(const QString& product)
{
    return product == QLatin1String("tarnix");
}

QColor qcolGetProductColour(const QString& product)
{
    const QStringList parts = qstrGetProductColor(product).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    int rgb[3] = {0, 0, 0};
    for (int i = 0; i < 3 && i < parts.size(); ++i)
        rgb[i] = ((parts[i].toInt() % 256) + 256) % 256;
    return QColor(rgb[0], rgb[1], rgb[2], 255);
}

QString qstrGetProductDisplayName()
{
    return qstrGetProductName(qstrGetProduct());
}
