// The parameter library: parameter sets and parameters that observers watch.
#pragma once

#include "Vosk.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QObject;

namespace Murn {

// The value type a parameter holds.
enum class ValueType { Bool, UnsignedChar, Int, UnsignedInt, Float, Double };

// A parameter seen without its value type: name, observers and keys. Times are frames
// as floats.
class ParameterWithoutType {
public:
    explicit ParameterWithoutType(const QString& name);
    // Observers still attached receive the removal notice first.
    virtual ~ParameterWithoutType();
    ParameterWithoutType(const ParameterWithoutType&) = delete;
    ParameterWithoutType& operator=(const ParameterWithoutType&) = delete;

    const QString& qstrGetName() const { return m_qstrName; }
    virtual ValueType eGetValueType() const = 0;

    // The handler runs after every change, on the observer's own thread; an observer that
    // is destroyed is forgotten. Attaching an observer again replaces its handler.
    void AttachObserver(QObject* observer, std::function<void(Vosk::Change&)> handler);
    template <typename O> void AttachObserver(O* observer, void (O::*slot)(Vosk::Change&))
    {
        AttachObserver(observer, [observer, slot](Vosk::Change& change) { (observer->*slot)(change); });
    }
    void DetachObserver(QObject* observer);
    // Detaches the observer unless the parameter is gone already: safe with a parameter that
    // another thread removed while its removal notice is still on its way.
    static void DetachObserverIfAlive(ParameterWithoutType* parameter, QObject* observer);
    bool bIsObservedBy(const QObject* observer) const;

    // Sends the removal notice (once); the owner calls it before the parameter goes.
    void vAnnounceRemoval();

    bool isAnimated() const { return uiGetKeyCount() > 0; }
    virtual unsigned int uiGetKeyCount() const = 0;
    // -1 for an index out of range.
    virtual float fGetKeyTime(unsigned int index) const = 0;
    virtual bool bHasKeyAt(float time) const = 0;
    // The key nearest to time (the earlier one on a tie); -1 without keys.
    virtual void vGetNearestKeyIndex(float time, int& index) const = 0;
    virtual void vClearKeys() = 0;

protected:
    void vNotify(int type, int affectedIndex = -1, std::vector<int> affectedIndices = {});

private:
    struct Observer {
        QPointer<QObject> pObject;
        std::function<void(Vosk::Change&)> handler;
    };
    QString m_qstrName;
    std::vector<Observer> m_vecObservers;
    bool m_bRemovalAnnounced = false;
};

// A parameter whose values are numbers, read and written as doubles.
class NumericParameterWithoutType : public ParameterWithoutType {
public:
    using ParameterWithoutType::ParameterWithoutType;
    virtual double dGetValueAt(float time) const = 0;
    virtual double dGetKeyValue(unsigned int index) const = 0;
    virtual double dGetLowerLimit() const = 0;
    virtual double dGetUpperLimit() const = 0;
    // Whole numbers only (every type but float and double).
    virtual bool isInteger() const = 0;
};

// Interpolation of the span that starts at a key.
enum class Interpolation { Linear, Constant };

// A numeric parameter of one value type: a static value used while it has no keys, and
// keys at times, interpolated between them and held before the first and after the last.
// Values are kept within the parameter's limits. Instances exist for bool, unsigned char,
// int, unsigned int, float and double.
template <typename T> class NumericParameter : public NumericParameterWithoutType {
public:
    NumericParameter(const QString& name, T staticValue, T lowerLimit, T upperLimit);
    ~NumericParameter() override;

    ValueType eGetValueType() const override;
    T valueAt(float time) const;
    T staticValue() const;
    void setStaticValue(T value);
    // Changes the key at time, or adds one there.
    void setValueAt(T value, float time);
    // The same as steps of a command: nothing changes until the command is done, and
    // undoing it restores the values and keys as they were. A null command writes at once.
    void setStaticValue(T value, Vosk::CompositeCommand* command);
    void setValueAt(T value, float time, Vosk::CompositeCommand* command);
    // False when there is no key at time.
    bool removeKeyAt(float time);
    T keyValue(unsigned int index) const;
    Interpolation interpolationAt(float keyTime) const;
    void setInterpolationAt(Interpolation kind, float keyTime);
    T lowerLimit() const;
    T upperLimit() const;

    unsigned int uiGetKeyCount() const override;
    float fGetKeyTime(unsigned int index) const override;
    bool bHasKeyAt(float time) const override;
    void vGetNearestKeyIndex(float time, int& index) const override;
    void vClearKeys() override;
    double dGetValueAt(float time) const override;
    double dGetKeyValue(unsigned int index) const override;
    double dGetLowerLimit() const override;
    double dGetUpperLimit() const override;
    bool isInteger() const override;

    struct Key {
        float fTime;
        T value;
        Interpolation eInterpolation;
    };
    // Keys in time order.
    std::vector<Key> vecGetKeys() const;

private:
    void vAddCommandStep(Vosk::CompositeCommand& command, std::function<void()> write);
    void vRestore(T staticValue, std::vector<Key> keys);
    T m_staticValue;
    T m_lowerLimit;
    T m_upperLimit;
    std::vector<Key> m_vecKeys;
};

// A named collection of parameters that owns them. Removing a parameter, or destroying the
// set, sends each parameter's removal notice before it goes.
class ParameterSet {
public:
    explicit ParameterSet(const QString& name);
    ~ParameterSet();
    ParameterSet(const ParameterSet&) = delete;
    ParameterSet& operator=(const ParameterSet&) = delete;

    const QString& qstrGetName() const { return m_qstrName; }
    // Adds a parameter; a parameter of the same name is replaced (and removed first).
    template <typename T>
    NumericParameter<T>* pAddNumeric(const QString& name, T staticValue, T lowerLimit, T upperLimit);
    ParameterWithoutType* pFind(const QString& name) const;
    std::vector<ParameterWithoutType*> vecGetParameters() const;
    bool bRemove(const QString& name);

private:
    void vAdopt(std::unique_ptr<ParameterWithoutType> parameter);
    QString m_qstrName;
    std::vector<std::unique_ptr<ParameterWithoutType>> m_vecParameters;
};

template <typename T>
NumericParameter<T>* ParameterSet::pAddNumeric(const QString& name, T staticValue, T lowerLimit, T upperLimit)
{
    auto parameter = std::make_unique<NumericParameter<T>>(name, staticValue, lowerLimit, upperLimit);
    NumericParameter<T>* added = parameter.get();
    vAdopt(std::move(parameter));
    return added;
}

} // namespace Murn
