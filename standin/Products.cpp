#include "Vosk.h"
#include "velmor.h"

#include <QMutex>
#include <QSysInfo>

namespace {

struct ProductRecord {
    const char* id;
    const char* name;
    const char* version;
    const char* longVersion;
    const char* extension;
    const char* registryName;
    const char* docDir;
    const char* buildNumber;
    const char* renderFunction;
    const char* colour;
    const char* features;
    const char* loadable;
};

const ProductRecord kProducts[] = {
    {"plintra", "Plintra", "2.0", "Plintra 2.0.1 (build 4127)", ".pln", "Plintra", "/docs/", "4127", "Track",
     "103 141 178", "layer_controls_onleft", "plintra"},
    {"plintra4ae", "Plintra 4AE", "2.0", "Plintra 4AE 2.0.1 (build 4127)", ".pla", "Plintra4AE", "/docs/", "4127",
     "Track", "154 107 208", "layer_controls_onleft", "plintra4ae plintra"},
    {"plintrapro", "Plintra Pro", "2.0", "Plintra Pro 2.0.1 (build 4127)", ".plp", "PlintraPro", "/docs/", "4127",
     "Render", "224 160 64", "layer_controls_onleft histogram_controls_onleft", "plintrapro plintra plintra4ae"},
    {"tarnix", "Tarnix", "1.2", "Tarnix 1.2.0 (build 4127)", ".tnx", "Tarnix", "/docs/", "4127", "Render",
     "96 176 112", "layer_properties_onleft", "tarnix"},
};

const ProductRecord* pFind(const QString& product)
{
    for (const ProductRecord& record : kProducts) {
        if (product == QLatin1String(record.id))
            return &record;
    }
    return nullptr;
}

QString qstrField(const QString& product, const char* ProductRecord::*field)
{
    const ProductRecord* record = pFind(product);
    return record ? QString::fromUtf8(record->*field) : QStringLiteral("INVALID PRODUCT");
}

QMutex g_productMutex;
QString g_qstrProduct;

} // namespace

void vSetProduct(const QString& product)
{
    QMutexLocker lock(&g_productMutex);
    g_qstrProduct = product;
}

QString qstrGetProduct()
{
    QMutexLocker lock(&g_productMutex);
    return g_qstrProduct;
}

QString qstrGetProductName(const QString& p) { return qstrField(p, &ProductRecord::name); }
QString qstrGetProductVersion(const QString& p) { return qstrField(p, &ProductRecord::version); }
QString qstrGetLongProductVersion(const QString& p) { return qstrField(p, &ProductRecord::longVersion); }
QString qstrGetFileExtension(const QString& p) { return qstrField(p, &ProductRecord::extension); }
QString qstrGetRegistryProductName(const QString& p) { return qstrField(p, &ProductRecord::registryName); }
QString qstrGetProductDocDir(const QString& p) { return qstrField(p, &ProductRecord::docDir); }
QString qstrGetProductBuildNumber(const QString& p) { return qstrField(p, &ProductRecord::buildNumber); }
QString qstrGetRenderFunctionName(const QString& p) { return qstrField(p, &ProductRecord::renderFunction); }
QString qstrGetProductColor(const QString& p) { return qstrField(p, &ProductRecord::colour); }
QString qstrGetFeatures(const QString& p) { return qstrField(p, &ProductRecord::features); }
QString qstrGetLoadableProjects(const QString& p) { return qstrField(p, &ProductRecord::loadable); }
QString qstrGetUpdateProductName(const QString& p) { return qstrField(p, &ProductRecord::name); }

QString qstrGetProductList(const QString& p)
{
    if (!pFind(p))
        return QStringLiteral("INVALID PRODUCT");
    QStringList ids;
    for (const ProductRecord& record : kProducts)
        ids << QString::fromUtf8(record.id);
    return ids.join(QLatin1Char(' '));
}

QString qstrGetTargetOS(const QString& p)
{
    if (!pFind(p))
        return QStringLiteral("INVALID PRODUCT");
    return QSysInfo::kernelType() + QLatin1Char('-') + QSysInfo::currentCpuArchitecture();
}
