// Project file sections for the clip listing, the layers and each layer's parameters:
//
//   [listing]
//   use_timecode=0
//   next_layer=3
//   base_clips=2:1 3:1          derived clip:base clip, space separated
//   garbage_mattes=4
//   [layer 1]
//   name=Foreground
//   parameter_set=Foreground
//   [parameter 1]                one section per parameter of layer 1, in the set's order
//   name=Opacity
//   type=float                   bool, uchar, int, uint, float or double
//   static=0.75
//   lower=0
//   upper=1
//   key=10 0.5 linear            time value interpolation, one line per key, in time order
//
// Floating-point numbers are written with 17 significant digits, so they read back to the
// same bits; integers are written whole.
#include "ProjectFile.h"

#include "velmor.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

namespace standin::projectfile {

namespace {

QString qstrPflTitle(const Section& section)
{
    return section.qstrArgument.isEmpty() ? QStringLiteral("[%1]").arg(section.qstrKind)
                                          : QStringLiteral("[%1 %2]").arg(section.qstrKind, section.qstrArgument);
}

QString qstrPflFloating(double value)
{
    // Qt prints a negative zero as "0".
    if (value == 0 && std::signbit(value))
        return QStringLiteral("-0");
    return QString::number(value, 'g', 17);
}

template <typename T> const char* pszPflTypeName()
{
    if constexpr (std::is_same<T, bool>::value)
        return "bool";
    else if constexpr (std::is_same<T, unsigned char>::value)
        return "uchar";
    else if constexpr (std::is_same<T, int>::value)
        return "int";
    else if constexpr (std::is_same<T, unsigned int>::value)
        return "uint";
    else if constexpr (std::is_same<T, float>::value)
        return "float";
    else
        return "double";
}

template <typename T> QString qstrPflValue(T value)
{
    if constexpr (std::is_same<T, bool>::value)
        return value ? QStringLiteral("1") : QStringLiteral("0");
    else if constexpr (std::is_floating_point<T>::value)
        return qstrPflFloating(double(value));
    else
        return QString::number(value);
}

template <typename T> bool bPflParseValue(const QString& text, T& value)
{
    bool ok = false;
    if constexpr (std::is_same<T, bool>::value) {
        ok = text == QLatin1String("0") || text == QLatin1String("1");
        value = text == QLatin1String("1");
    } else if constexpr (std::is_same<T, unsigned char>::value) {
        const unsigned int number = text.toUInt(&ok);
        ok = ok && number <= std::numeric_limits<unsigned char>::max();
        value = static_cast<unsigned char>(number);
    } else if constexpr (std::is_same<T, int>::value) {
        value = text.toInt(&ok);
    } else if constexpr (std::is_same<T, unsigned int>::value) {
        value = text.toUInt(&ok);
    } else {
        const double number = text.toDouble(&ok);
        value = T(number);
        // A finite number beyond a float's range would come back as infinity; no value
        // compares with "not a number", so no limit or key can be one.
        ok = ok && !std::isnan(number) && (std::isfinite(value) || !std::isfinite(number));
    }
    return ok;
}

template <typename T> T tPflRead(const Section& section, const QString& key)
{
    T value {};
    if (!bPflParseValue(section.qstrValue(key), value))
        vThrowDamaged(QStringLiteral("\"%1\" in %2 is not a valid %3 value")
                          .arg(key, qstrPflTitle(section), pszPflTypeName<T>()));
    return value;
}

// Layer numbers stay far from the end of their type: a layer added later takes the next one.
constexpr int kiPflMaximumLayer = 1 << 30;

CW_CLIP_ID ePflClip(const QString& text)
{
    bool ok = false;
    const CW_CLIP_ID id = text.toUInt(&ok);
    if (!ok || id == 0 || id > (1u << 30))
        vThrowDamaged(QStringLiteral("[listing] names a clip without a valid number"));
    return id;
}

template <typename T>
bool bPflWriteNumeric(const Murn::ParameterWithoutType* parameter, int layer, std::vector<Section>& out,
    const QString& kind = QStringLiteral("parameter"))
{
    const auto* numeric = dynamic_cast<const Murn::NumericParameter<T>*>(parameter);
    if (!numeric)
        return false;
    Section section {kind, QString::number(layer), {}};
    section.vAdd(QStringLiteral("name"), numeric->qstrGetName());
    section.vAdd(QStringLiteral("type"), QString::fromLatin1(pszPflTypeName<T>()));
    section.vAdd(QStringLiteral("static"), qstrPflValue(numeric->staticValue()));
    section.vAdd(QStringLiteral("lower"), qstrPflValue(numeric->lowerLimit()));
    section.vAdd(QStringLiteral("upper"), qstrPflValue(numeric->upperLimit()));
    for (const auto& key : numeric->vecGetKeys()) {
        section.vAdd(QStringLiteral("key"),
            QStringLiteral("%1 %2 %3")
                .arg(qstrPflFloating(double(key.fTime)), qstrPflValue(key.value),
                    key.eInterpolation == Murn::Interpolation::Constant ? QStringLiteral("constant")
                                                                        : QStringLiteral("linear")));
    }
    out.push_back(std::move(section));
    return true;
}

template <typename T> struct PflKey {
    float fTime;
    T value;
    Murn::Interpolation eInterpolation;
};

// The keys of a parameter's section, each checked against the limits and the order.
template <typename T>
std::vector<PflKey<T>> vecPflKeys(const Section& section, const QString& name, T lower, T upper)
{
    std::vector<PflKey<T>> keys;
    for (const auto& [entryKey, text] : section.vecEntries) {
        if (entryKey != QLatin1String("key"))
            continue;
        const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        PflKey<T> key {};
        bool timeOk = false;
        if (parts.size() == 3)
            key.fTime = float(parts[0].toDouble(&timeOk));
        if (!timeOk || !std::isfinite(key.fTime) || !bPflParseValue(parts[1], key.value))
            vThrowDamaged(QStringLiteral("a key of \"%1\" in %2 cannot be read").arg(name, qstrPflTitle(section)));
        if (parts[2] == QLatin1String("linear"))
            key.eInterpolation = Murn::Interpolation::Linear;
        else if (parts[2] == QLatin1String("constant"))
            key.eInterpolation = Murn::Interpolation::Constant;
        else
            vThrowDamaged(QStringLiteral("a key of \"%1\" in %2 has an unknown interpolation \"%3\"")
                              .arg(name, qstrPflTitle(section), parts[2]));
        // Key times are frames; none lies beyond the longest clip.
        if (std::fabs(key.fTime) > float(kuiMaximumFrames))
            vThrowDamaged(QStringLiteral("a key of \"%1\" in %2 is out of range").arg(name, qstrPflTitle(section)));
        if (key.value < lower || key.value > upper)
            vThrowDamaged(
                QStringLiteral("a key of \"%1\" in %2 is outside its limits").arg(name, qstrPflTitle(section)));
        if (!keys.empty() && !(key.fTime > keys.back().fTime))
            vThrowDamaged(QStringLiteral("the keys of \"%1\" in %2 are out of order").arg(name, qstrPflTitle(section)));
        keys.push_back(key);
    }
    return keys;
}

template <typename T>
void vPflReadNumeric(const Section& section, const QString& name, CW_LayerParameterSet& parameters)
{
    const T staticValue = tPflRead<T>(section, QStringLiteral("static"));
    const T lower = tPflRead<T>(section, QStringLiteral("lower"));
    const T upper = tPflRead<T>(section, QStringLiteral("upper"));
    // A parameter keeps its values within its limits; the file holds them so.
    if (lower > upper)
        vThrowDamaged(QStringLiteral("the lower limit of \"%1\" in %2 is above its upper limit")
                          .arg(name, qstrPflTitle(section)));
    if (staticValue < lower || staticValue > upper)
        vThrowDamaged(
            QStringLiteral("the value of \"%1\" in %2 is outside its limits").arg(name, qstrPflTitle(section)));

    // Every key is checked before the parameter joins the set.
    const std::vector<PflKey<T>> keys = vecPflKeys<T>(section, name, lower, upper);
    auto* parameter = parameters.pAddNumeric<T>(name, staticValue, lower, upper);
    for (const PflKey<T>& key : keys) {
        parameter->setValueAt(key.value, key.fTime);
        parameter->setInterpolationAt(key.eInterpolation, key.fTime);
    }
}

// A tracking parameter exists with the layer; the file gives its values, within the
// parameter's own limits.
template <typename T> bool bPflApplyNumeric(const Section& section, const QString& name, Murn::ParameterWithoutType* p)
{
    auto* parameter = dynamic_cast<Murn::NumericParameter<T>*>(p);
    if (!parameter)
        return false;
    if (section.qstrValue(QStringLiteral("type")) != QLatin1String(pszPflTypeName<T>()))
        vThrowDamaged(QStringLiteral("\"%1\" in %2 has the wrong value type").arg(name, qstrPflTitle(section)));
    const T staticValue = tPflRead<T>(section, QStringLiteral("static"));
    if (staticValue < parameter->lowerLimit() || staticValue > parameter->upperLimit())
        vThrowDamaged(
            QStringLiteral("the value of \"%1\" in %2 is outside its limits").arg(name, qstrPflTitle(section)));
    const std::vector<PflKey<T>> keys
        = vecPflKeys<T>(section, name, parameter->lowerLimit(), parameter->upperLimit());
    parameter->vClearKeys();
    parameter->setStaticValue(staticValue);
    for (const PflKey<T>& key : keys) {
        parameter->setValueAt(key.value, key.fTime);
        parameter->setInterpolationAt(key.eInterpolation, key.fTime);
    }
    return true;
}

standin::LayerRecord* pPflLayer(CW_ProjectRecord& project, int id)
{
    for (standin::LayerRecord& layer : project.vecLayers) {
        if (layer.iID == id)
            return &layer;
    }
    return nullptr;
}

} // namespace

void vWriteListing(const CW_ProjectRecord& project, std::vector<Section>& out)
{
    Section section {QStringLiteral("listing"), QString(), {}};
    section.vAdd(QStringLiteral("use_timecode"), QString::number(project.bUseTimeCode ? 1 : 0));
    section.vAdd(QStringLiteral("next_layer"), QString::number(project.iNextLayerID));
    QStringList pairs;
    for (const auto& [derived, base] : project.mapBaseClips)
        pairs << QStringLiteral("%1:%2").arg(derived).arg(base);
    section.vAdd(QStringLiteral("base_clips"), pairs.join(QLatin1Char(' ')));
    QStringList mattes;
    for (const CW_CLIP_ID clip : project.setGarbageMatteClips)
        mattes << QString::number(clip);
    section.vAdd(QStringLiteral("garbage_mattes"), mattes.join(QLatin1Char(' ')));
    out.push_back(std::move(section));
}

void vReadListing(const Section& section, CW_ProjectRecord& project)
{
    project.bUseTimeCode = section.bValue(QStringLiteral("use_timecode"));
    const int nextLayer = section.iValue(QStringLiteral("next_layer"));
    if (nextLayer < 1 || nextLayer > kiPflMaximumLayer)
        vThrowDamaged(QStringLiteral("[listing] has no valid next layer number"));
    // Layers read later raise it past their own numbers.
    project.iNextLayerID = std::max(project.iNextLayerID, nextLayer);

    for (const QString& pair :
        section.qstrValue(QStringLiteral("base_clips")).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList ids = pair.split(QLatin1Char(':'));
        if (ids.size() != 2)
            vThrowDamaged(QStringLiteral("a base clip in [listing] cannot be read"));
        const CW_CLIP_ID derived = ePflClip(ids[0]);
        const CW_CLIP_ID base = ePflClip(ids[1]);
        if (derived == base)
            vThrowDamaged(QStringLiteral("[listing] makes clip %1 its own base clip").arg(derived));
        if (!project.mapBaseClips.emplace(derived, base).second)
            vThrowDamaged(QStringLiteral("[listing] gives clip %1 two base clips").arg(derived));
    }
    for (const QString& clip :
        section.qstrValue(QStringLiteral("garbage_mattes")).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        project.setGarbageMatteClips.insert(ePflClip(clip));
}

void vWriteLayers(const CW_ProjectRecord& project, std::vector<Section>& out)
{
    for (const standin::LayerRecord& layer : project.vecLayers) {
        Section section {QStringLiteral("layer"), QString::number(layer.iID), {}};
        section.vAdd(QStringLiteral("name"), layer.qstrName);
        section.vAdd(
            QStringLiteral("parameter_set"), layer.pParameters ? layer.pParameters->qstrGetName() : layer.qstrName);
        out.push_back(std::move(section));
    }
}

void vReadLayer(const Section& section, CW_ProjectRecord& project)
{
    bool ok = false;
    const int id = section.qstrArgument.toInt(&ok);
    if (!ok || id < 1)
        vThrowDamaged(QStringLiteral("a layer has no valid number"));
    if (pPflLayer(project, id))
        vThrowDamaged(QStringLiteral("layer %1 is recorded twice").arg(id));
    // A layer added after opening takes the number after the highest one.
    if (id > kiPflMaximumLayer)
        vThrowDamaged(QStringLiteral("layer %1 has too high a number").arg(id));
    standin::LayerRecord layer;
    layer.iID = id;
    layer.qstrName = section.qstrValue(QStringLiteral("name"));
    layer.pParameters
        = std::make_unique<CW_LayerParameterSet>(section.qstrValue(QStringLiteral("parameter_set"), layer.qstrName));
    layer.pTracking = std::make_unique<CW_TrackingParameterSet>(layer.qstrName);
    project.vecLayers.push_back(std::move(layer));
    project.iNextLayerID = std::max(project.iNextLayerID, id + 1);
}

void vWriteLayerParameters(const CW_ProjectRecord& project, std::vector<Section>& out)
{
    for (const standin::LayerRecord& layer : project.vecLayers) {
        if (!layer.pParameters)
            continue;
        for (const Murn::ParameterWithoutType* parameter : layer.pParameters->vecGetParameters()) {
            const bool written = bPflWriteNumeric<bool>(parameter, layer.iID, out)
                || bPflWriteNumeric<unsigned char>(parameter, layer.iID, out)
                || bPflWriteNumeric<int>(parameter, layer.iID, out)
                || bPflWriteNumeric<unsigned int>(parameter, layer.iID, out)
                || bPflWriteNumeric<float>(parameter, layer.iID, out)
                || bPflWriteNumeric<double>(parameter, layer.iID, out);
            // Saving without it would lose it on the next open.
            if (!written)
                throw CW_Exception(QStringLiteral("The project cannot be saved: the parameter \"%1\" of layer \"%2\" "
                                                  "is of a kind the project file cannot hold.")
                                       .arg(parameter->qstrGetName(), layer.qstrName)
                                       .toStdString(),
                    "vWriteLayerParameters: parameter of unknown kind");
        }
    }
}

void vReadLayerParameter(const Section& section, CW_ProjectRecord& project)
{
    bool ok = false;
    const int id = section.qstrArgument.toInt(&ok);
    standin::LayerRecord* layer = ok ? pPflLayer(project, id) : nullptr;
    if (!layer || !layer->pParameters)
        vThrowDamaged(QStringLiteral("%1 belongs to no layer").arg(qstrPflTitle(section)));
    const QString name = section.qstrValue(QStringLiteral("name"));
    // Adding a parameter of a name in use would silently replace the first one.
    if (layer->pParameters->pFind(name))
        vThrowDamaged(QStringLiteral("parameter \"%1\" of layer %2 is recorded twice").arg(name).arg(id));

    const QString type = section.qstrValue(QStringLiteral("type"));
    CW_LayerParameterSet& parameters = *layer->pParameters;
    if (type == QLatin1String(pszPflTypeName<bool>()))
        vPflReadNumeric<bool>(section, name, parameters);
    else if (type == QLatin1String(pszPflTypeName<unsigned char>()))
        vPflReadNumeric<unsigned char>(section, name, parameters);
    else if (type == QLatin1String(pszPflTypeName<int>()))
        vPflReadNumeric<int>(section, name, parameters);
    else if (type == QLatin1String(pszPflTypeName<unsigned int>()))
        vPflReadNumeric<unsigned int>(section, name, parameters);
    else if (type == QLatin1String(pszPflTypeName<float>()))
        vPflReadNumeric<float>(section, name, parameters);
    else if (type == QLatin1String(pszPflTypeName<double>()))
        vPflReadNumeric<double>(section, name, parameters);
    else
        vThrowDamaged(
            QStringLiteral("\"%1\" in %2 has an unknown value type \"%3\"").arg(name, qstrPflTitle(section), type));
}

void vWriteTrackingParameters(const CW_ProjectRecord& project, std::vector<Section>& out)
{
    const QString kind = QStringLiteral("tracking");
    // Only what differs from a new layer's values is written; the rest reads back as new.
    const CW_TrackingParameterSet defaults {QString()};
    for (const standin::LayerRecord& layer : project.vecLayers) {
        if (!layer.pTracking)
            continue;
        for (const Murn::ParameterWithoutType* parameter : layer.pTracking->vecGetParameters()) {
            const auto* numeric = dynamic_cast<const Murn::NumericParameterWithoutType*>(parameter);
            const auto* fresh
                = dynamic_cast<const Murn::NumericParameterWithoutType*>(defaults.pFind(parameter->qstrGetName()));
            if (numeric && fresh && numeric->uiGetKeyCount() == 0 && numeric->dGetValueAt(0.0f) == fresh->dGetValueAt(0.0f))
                continue;
            const bool written = bPflWriteNumeric<bool>(parameter, layer.iID, out, kind)
                || bPflWriteNumeric<int>(parameter, layer.iID, out, kind)
                || bPflWriteNumeric<unsigned int>(parameter, layer.iID, out, kind)
                || bPflWriteNumeric<float>(parameter, layer.iID, out, kind)
                || bPflWriteNumeric<double>(parameter, layer.iID, out, kind);
            if (!written)
                throw CW_Exception("The project cannot be saved: a tracking parameter is of a kind the project file "
                                   "cannot hold.",
                    "vWriteTrackingParameters: parameter of unknown kind");
        }
    }
}

void vReadTrackingParameter(const Section& section, CW_ProjectRecord& project)
{
    bool ok = false;
    const int id = section.qstrArgument.toInt(&ok);
    standin::LayerRecord* layer = ok ? pPflLayer(project, id) : nullptr;
    if (!layer || !layer->pTracking)
        vThrowDamaged(QStringLiteral("%1 belongs to no layer").arg(qstrPflTitle(section)));
    const QString name = section.qstrValue(QStringLiteral("name"));
    Murn::ParameterWithoutType* parameter = layer->pTracking->pFind(name);
    if (!parameter)
        vThrowDamaged(QStringLiteral("%1 names no tracking parameter \"%2\"").arg(qstrPflTitle(section), name));
    const bool applied = bPflApplyNumeric<bool>(section, name, parameter)
        || bPflApplyNumeric<int>(section, name, parameter) || bPflApplyNumeric<unsigned int>(section, name, parameter)
        || bPflApplyNumeric<float>(section, name, parameter) || bPflApplyNumeric<double>(section, name, parameter);
    if (!applied)
        vThrowDamaged(QStringLiteral("\"%1\" in %2 cannot be read").arg(name, qstrPflTitle(section)));
}

} // namespace standin::projectfile
