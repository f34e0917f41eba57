#include "Murn.h"
#include "brandor.h"

#include <QMetaObject>
#include <QMutex>
#include <QObject>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <type_traits>

namespace {
// Guards every parameter's values, keys and observer list: a worker and the user-interface
// thread may both read and write parameters. Handlers run after it is let go.
QRecursiveMutex& mtxMurnState()
{
    static QRecursiveMutex mutex;
    return mutex;
}

const char* pszMurnChangeName(int type)
{
    switch (type) {
    case Vosk::Change::KEY_ADDED:
        return "key added";
    case Vosk::Change::KEY_REMOVED:
        return "key removed";
    case Vosk::Change::KEY_VALUE_CHANGED:
        return "key value changed";
    case Vosk::Change::KEY_TIME_CHANGED:
        return "key time changed";
    case Vosk::Change::KEY_TANGENTS_CHANGED:
        return "key tangents changed";
    case Vosk::Change::INTERPOLATION_CHANGED:
        return "interpolation changed";
    case Vosk::Change::EXTRAPOLATION_BEFORE_CHANGED:
        return "extrapolation before changed";
    case Vosk::Change::EXTRAPOLATION_AFTER_CHANGED:
        return "extrapolation after changed";
    case Vosk::Change::STATIC_VALUE_CHANGED:
        return "static value changed";
    case Vosk::Change::KEY_MOVED_PAST_OTHERS:
        return "key moved past others";
    case Vosk::Change::REMOVED:
        return "removed";
    default:
        return "unknown change";
    }
}

// Every parameter that exists, so that a late detach can tell a gone one.
std::set<const Murn::ParameterWithoutType*>& setMurnLiveParameters()
{
    static std::set<const Murn::ParameterWithoutType*> parameters;
    return parameters;
}

template <typename T> T tMurnClamp(T value, T lower, T upper)
{
    if (lower > upper)
        return value;
    return std::min(std::max(value, lower), upper);
}

template <typename T> constexpr bool bMurnSteppedByDefault()
{
    return std::is_same<T, bool>::value || std::is_same<T, unsigned char>::value;
}

template <typename T> T tMurnBlend(T a, T b, double weight)
{
    const double value = double(a) + (double(b) - double(a)) * weight;
    if constexpr (std::is_floating_point<T>::value)
        return T(value);
    else
        return T(std::llround(value));
}
} // namespace

namespace Vosk {

Change::Change(const void* subject, int type, int affectedIndex, std::vector<int> affectedIndices)
    : m_pSubject(subject)
    , m_iType(type)
    , m_iAffectedIndex(affectedIndex)
    , m_vecAffectedIndices(std::move(affectedIndices))
{
}

QString Change::getText() const
{
    QString text = QString::fromLatin1(pszMurnChangeName(m_iType));
    if (m_iAffectedIndex >= 0)
        text += QStringLiteral(" at index %1").arg(m_iAffectedIndex);
    return text;
}

} // namespace Vosk

namespace Murn {

ParameterWithoutType::ParameterWithoutType(const QString& name)
    : m_qstrName(name)
{
    QMutexLocker lock(&mtxMurnState());
    setMurnLiveParameters().insert(this);
}

ParameterWithoutType::~ParameterWithoutType()
{
    vAnnounceRemoval();
    QMutexLocker lock(&mtxMurnState());
    setMurnLiveParameters().erase(this);
}

void ParameterWithoutType::DetachObserverIfAlive(ParameterWithoutType* parameter, QObject* observer)
{
    QMutexLocker lock(&mtxMurnState());
    if (parameter && setMurnLiveParameters().count(parameter) != 0)
        parameter->DetachObserver(observer);
}

void ParameterWithoutType::AttachObserver(QObject* observer, std::function<void(Vosk::Change&)> handler)
{
    if (!observer || !handler)
        return;
    QMutexLocker lock(&mtxMurnState());
    for (Observer& entry : m_vecObservers) {
        if (entry.pObject == observer) {
            entry.handler = std::move(handler);
            return;
        }
    }
    m_vecObservers.push_back({QPointer<QObject>(observer), std::move(handler)});
}

void ParameterWithoutType::DetachObserver(QObject* observer)
{
    QMutexLocker lock(&mtxMurnState());
    m_vecObservers.erase(
        std::remove_if(m_vecObservers.begin(), m_vecObservers.end(),
            [observer](const Observer& entry) { return entry.pObject.isNull() || entry.pObject == observer; }),
        m_vecObservers.end());
}

bool ParameterWithoutType::bIsObservedBy(const QObject* observer) const
{
    QMutexLocker lock(&mtxMurnState());
    return std::any_of(m_vecObservers.begin(), m_vecObservers.end(),
        [observer](const Observer& entry) { return observer && entry.pObject == observer; });
}

void ParameterWithoutType::vAnnounceRemoval()
{
    {
        QMutexLocker lock(&mtxMurnState());
        if (m_bRemovalAnnounced)
            return;
        m_bRemovalAnnounced = true;
    }
    vNotify(Vosk::Change::REMOVED);
    // The engine also tells the user interface, so that the curve editor lets go.
    if (CW_CallbackStruct* callbacks = pstctBRD_GetCallbackStruct()) {
        if (callbacks->pfnParameterRemoved)
            callbacks->pfnParameterRemoved(this);
    }
    QMutexLocker lock(&mtxMurnState());
    m_vecObservers.clear();
}

void ParameterWithoutType::vNotify(int type, int affectedIndex, std::vector<int> affectedIndices)
{
    std::vector<Observer> observers;
    {
        QMutexLocker lock(&mtxMurnState());
        observers = m_vecObservers;
    }
    const Vosk::Change change(this, type, affectedIndex, std::move(affectedIndices));
    for (Observer& entry : observers) {
        QObject* object = entry.pObject.data();
        if (!object)
            continue;
        // An observer detached by an earlier handler of this same change hears no more.
        if (!bIsObservedBy(object))
            continue;
        if (object->thread() == QThread::currentThread()) {
            Vosk::Change copy = change;
            entry.handler(copy);
        } else {
            // Delivered on the observer's thread; dropped with the observer if it goes first.
            std::function<void(Vosk::Change&)> handler = entry.handler;
            QMetaObject::invokeMethod(
                object,
                [handler, change]() {
                    // A change of a parameter that is gone by now is stale; only its
                    // removal notice still matters.
                    if (change.getType() != Vosk::Change::REMOVED) {
                        QMutexLocker lock(&mtxMurnState());
                        const auto* subject = static_cast<const ParameterWithoutType*>(change.getSubject());
                        if (setMurnLiveParameters().count(subject) == 0)
                            return;
                    }
                    Vosk::Change copy = change;
                    handler(copy);
                },
                Qt::QueuedConnection);
        }
    }
}

template <typename T>
NumericParameter<T>::NumericParameter(const QString& name, T staticValue, T lowerLimit, T upperLimit)
    : NumericParameterWithoutType(name)
    , m_staticValue(tMurnClamp(staticValue, lowerLimit, upperLimit))
    , m_lowerLimit(lowerLimit)
    , m_upperLimit(upperLimit)
{
}

template <typename T> NumericParameter<T>::~NumericParameter()
{
    // Observers must hear of the removal while the values can still be read.
    vAnnounceRemoval();
}

template <typename T> ValueType NumericParameter<T>::eGetValueType() const
{
    if constexpr (std::is_same<T, bool>::value)
        return ValueType::Bool;
    else if constexpr (std::is_same<T, unsigned char>::value)
        return ValueType::UnsignedChar;
    else if constexpr (std::is_same<T, int>::value)
        return ValueType::Int;
    else if constexpr (std::is_same<T, unsigned int>::value)
        return ValueType::UnsignedInt;
    else if constexpr (std::is_same<T, float>::value)
        return ValueType::Float;
    else
        return ValueType::Double;
}

template <typename T> T NumericParameter<T>::valueAt(float time) const
{
    QMutexLocker lock(&mtxMurnState());
    if (m_vecKeys.empty())
        return m_staticValue;
    if (time <= m_vecKeys.front().fTime)
        return m_vecKeys.front().value;
    if (time >= m_vecKeys.back().fTime)
        return m_vecKeys.back().value;
    auto next = std::upper_bound(
        m_vecKeys.begin(), m_vecKeys.end(), time, [](float t, const Key& key) { return t < key.fTime; });
    const Key& right = *next;
    const Key& left = *(next - 1);
    if (left.fTime == time || left.eInterpolation == Interpolation::Constant)
        return left.value;
    const double weight = double(time - left.fTime) / double(right.fTime - left.fTime);
    if constexpr (std::is_same<T, bool>::value)
        return weight < 0.5 ? left.value : right.value;
    else
        return tMurnClamp(tMurnBlend(left.value, right.value, weight), m_lowerLimit, m_upperLimit);
}

template <typename T> T NumericParameter<T>::staticValue() const
{
    QMutexLocker lock(&mtxMurnState());
    return m_staticValue;
}

template <typename T> void NumericParameter<T>::setStaticValue(T value)
{
    {
        QMutexLocker lock(&mtxMurnState());
        m_staticValue = tMurnClamp(value, m_lowerLimit, m_upperLimit);
    }
    vNotify(Vosk::Change::STATIC_VALUE_CHANGED);
}

template <typename T> void NumericParameter<T>::setValueAt(T value, float time)
{
    int type = Vosk::Change::KEY_ADDED;
    int index = 0;
    {
        QMutexLocker lock(&mtxMurnState());
        value = tMurnClamp(value, m_lowerLimit, m_upperLimit);
        auto it = std::lower_bound(
            m_vecKeys.begin(), m_vecKeys.end(), time, [](const Key& key, float t) { return key.fTime < t; });
        index = int(it - m_vecKeys.begin());
        if (it != m_vecKeys.end() && it->fTime == time) {
            it->value = value;
            type = Vosk::Change::KEY_VALUE_CHANGED;
        } else {
            const Interpolation kind = bMurnSteppedByDefault<T>() ? Interpolation::Constant : Interpolation::Linear;
            m_vecKeys.insert(it, Key {time, value, kind});
        }
    }
    vNotify(type, index);
}

template <typename T> void NumericParameter<T>::setStaticValue(T value, Vosk::CompositeCommand* command)
{
    if (!command) {
        setStaticValue(value);
        return;
    }
    vAddCommandStep(*command, [this, value] { setStaticValue(value); });
}

template <typename T> void NumericParameter<T>::setValueAt(T value, float time, Vosk::CompositeCommand* command)
{
    if (!command) {
        setValueAt(value, time);
        return;
    }
    vAddCommandStep(*command, [this, value, time] { setValueAt(value, time); });
}

template <typename T>
void NumericParameter<T>::vAddCommandStep(Vosk::CompositeCommand& command, std::function<void()> write)
{
    // What the step found is taken when it is done, so undo returns to exactly that even
    // after other steps of the same command wrote the parameter before it.
    struct Before {
        T staticValue {};
        std::vector<Key> keys;
    };
    auto before = std::make_shared<Before>();
    auto alive = [this] {
        QMutexLocker lock(&mtxMurnState());
        return setMurnLiveParameters().count(this) != 0;
    };
    command.vAddStep(
        [this, before, alive, write] {
            // A parameter removed since (its layer deleted) has nothing left to change.
            if (!alive())
                return;
            {
                QMutexLocker lock(&mtxMurnState());
                before->staticValue = m_staticValue;
                before->keys = m_vecKeys;
            }
            write();
        },
        [this, before, alive] {
            if (alive())
                vRestore(before->staticValue, before->keys);
        });
}

template <typename T> void NumericParameter<T>::vRestore(T staticValue, std::vector<Key> keys)
{
    bool staticChanged = false;
    bool keysChanged = false;
    {
        QMutexLocker lock(&mtxMurnState());
        staticChanged = m_staticValue != staticValue;
        keysChanged = m_vecKeys.size() != keys.size()
            || !std::equal(keys.begin(), keys.end(), m_vecKeys.begin(), [](const Key& a, const Key& b) {
                   return a.fTime == b.fTime && a.value == b.value && a.eInterpolation == b.eInterpolation;
               });
        m_staticValue = staticValue;
        m_vecKeys = std::move(keys);
    }
    if (staticChanged)
        vNotify(Vosk::Change::STATIC_VALUE_CHANGED);
    if (keysChanged)
        vNotify(Vosk::Change::KEY_VALUE_CHANGED);
}

template <typename T> bool NumericParameter<T>::removeKeyAt(float time)
{
    int index = -1;
    {
        QMutexLocker lock(&mtxMurnState());
        for (size_t i = 0; i < m_vecKeys.size(); ++i) {
            if (m_vecKeys[i].fTime == time) {
                index = int(i);
                m_vecKeys.erase(m_vecKeys.begin() + i);
                break;
            }
        }
    }
    if (index < 0)
        return false;
    vNotify(Vosk::Change::KEY_REMOVED, index);
    return true;
}

template <typename T> T NumericParameter<T>::keyValue(unsigned int index) const
{
    QMutexLocker lock(&mtxMurnState());
    return index < m_vecKeys.size() ? m_vecKeys[index].value : m_staticValue;
}

template <typename T> Interpolation NumericParameter<T>::interpolationAt(float keyTime) const
{
    QMutexLocker lock(&mtxMurnState());
    for (const Key& key : m_vecKeys) {
        if (key.fTime == keyTime)
            return key.eInterpolation;
    }
    return bMurnSteppedByDefault<T>() ? Interpolation::Constant : Interpolation::Linear;
}

template <typename T> void NumericParameter<T>::setInterpolationAt(Interpolation kind, float keyTime)
{
    int index = -1;
    {
        QMutexLocker lock(&mtxMurnState());
        for (size_t i = 0; i < m_vecKeys.size(); ++i) {
            if (m_vecKeys[i].fTime == keyTime) {
                m_vecKeys[i].eInterpolation = kind;
                index = int(i);
            }
        }
    }
    if (index >= 0)
        vNotify(Vosk::Change::INTERPOLATION_CHANGED, index);
}

template <typename T> T NumericParameter<T>::lowerLimit() const
{
    return m_lowerLimit;
}

template <typename T> T NumericParameter<T>::upperLimit() const
{
    return m_upperLimit;
}

template <typename T> unsigned int NumericParameter<T>::uiGetKeyCount() const
{
    QMutexLocker lock(&mtxMurnState());
    return unsigned(m_vecKeys.size());
}

template <typename T> float NumericParameter<T>::fGetKeyTime(unsigned int index) const
{
    QMutexLocker lock(&mtxMurnState());
    return index < m_vecKeys.size() ? m_vecKeys[index].fTime : -1.0f;
}

template <typename T> bool NumericParameter<T>::bHasKeyAt(float time) const
{
    QMutexLocker lock(&mtxMurnState());
    return std::any_of(m_vecKeys.begin(), m_vecKeys.end(), [time](const Key& key) { return key.fTime == time; });
}

template <typename T> void NumericParameter<T>::vGetNearestKeyIndex(float time, int& index) const
{
    QMutexLocker lock(&mtxMurnState());
    index = -1;
    float best = std::numeric_limits<float>::max();
    for (size_t i = 0; i < m_vecKeys.size(); ++i) {
        const float distance = std::fabs(m_vecKeys[i].fTime - time);
        if (distance < best) {
            best = distance;
            index = int(i);
        }
    }
}

template <typename T> void NumericParameter<T>::vClearKeys()
{
    unsigned int count = 0;
    {
        QMutexLocker lock(&mtxMurnState());
        count = unsigned(m_vecKeys.size());
        m_vecKeys.clear();
    }
    for (unsigned int i = count; i > 0; --i)
        vNotify(Vosk::Change::KEY_REMOVED, int(i - 1));
}

template <typename T> double NumericParameter<T>::dGetValueAt(float time) const
{
    return double(valueAt(time));
}

template <typename T> double NumericParameter<T>::dGetKeyValue(unsigned int index) const
{
    return double(keyValue(index));
}

template <typename T> double NumericParameter<T>::dGetLowerLimit() const
{
    return double(m_lowerLimit);
}

template <typename T> double NumericParameter<T>::dGetUpperLimit() const
{
    return double(m_upperLimit);
}

template <typename T> bool NumericParameter<T>::isInteger() const
{
    return !std::is_floating_point<T>::value;
}

template <typename T> std::vector<typename NumericParameter<T>::Key> NumericParameter<T>::vecGetKeys() const
{
    QMutexLocker lock(&mtxMurnState());
    return m_vecKeys;
}

template class NumericParameter<bool>;
template class NumericParameter<unsigned char>;
template class NumericParameter<int>;
template class NumericParameter<unsigned int>;
template class NumericParameter<float>;
template class NumericParameter<double>;

ParameterSet::ParameterSet(const QString& name)
    : m_qstrName(name)
{
}

ParameterSet::~ParameterSet()
{
    while (!m_vecParameters.empty()) {
        m_vecParameters.back()->vAnnounceRemoval();
        m_vecParameters.pop_back();
    }
}

ParameterWithoutType* ParameterSet::pFind(const QString& name) const
{
    for (const auto& parameter : m_vecParameters) {
        if (parameter->qstrGetName() == name)
            return parameter.get();
    }
    return nullptr;
}

std::vector<ParameterWithoutType*> ParameterSet::vecGetParameters() const
{
    std::vector<ParameterWithoutType*> parameters;
    for (const auto& parameter : m_vecParameters)
        parameters.push_back(parameter.get());
    return parameters;
}

bool ParameterSet::bRemove(const QString& name)
{
    for (auto it = m_vecParameters.begin(); it != m_vecParameters.end(); ++it) {
        if ((*it)->qstrGetName() == name) {
            std::unique_ptr<ParameterWithoutType> removed = std::move(*it);
            m_vecParameters.erase(it);
            removed->vAnnounceRemoval();
            return true;
        }
    }
    return false;
}

void ParameterSet::vAdopt(std::unique_ptr<ParameterWithoutType> parameter)
{
    bRemove(parameter->qstrGetName());
    m_vecParameters.push_back(std::move(parameter));
}

} // namespace Murn
