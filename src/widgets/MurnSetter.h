// The road from a page widget's edit to an undoable engine parameter change: the keyed-value
// rule every write follows, one-shot writes that commit at once, and updaters that collect
// the writes of one edit into one command committed when the edit is finished.
#pragma once

#include "Murn.h"
#include "Vosk.h"
#include "cwbase.h"

#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QLineEdit;

// With a command the write is a step of it; without one it happens at once. A null time
// writes the static value.
template <typename T>
void vWriteParameterValue(Murn::NumericParameter<T>* parameter, T value, const float* time,
    Vosk::CompositeCommand* command);

// A value as a key at frame or as the static value, as the auto-key and uber-key switches
// say; uber-key shifts every key within rangeStart..rangeEnd by the same amount, kept
// within the value type. Always true.
template <typename T>
bool bSetParameterValue(Murn::NumericParameter<T>* parameter, T value, float frame, bool autoKey, bool uberKey,
    float rangeStart, float rangeEnd, Vosk::CompositeCommand* command);
// The same at the project's current frame with the keyframe manager's switches and the
// frame slider's in and out points.
template <typename T>
bool bSetParameterValueNow(Murn::NumericParameter<T>* parameter, T value, CW_Instance project,
    Vosk::CompositeCommand* command);
// One write committed at once as one undo step.
template <typename T> bool bSetParameterValueCmd(Murn::NumericParameter<T>* parameter, T value, CW_Instance project);
template <typename T>
bool bSetParameterValueAt(Murn::NumericParameter<T>* parameter, T value, float frame, bool autoKey, bool uberKey,
    float rangeStart, float rangeEnd, Vosk::CompositeCommand* command);

// The frame slider's in and out points as the keyed-value rule's range.
void vGetSetterRange(float& start, float& end);

// Writes one edit's text to parameters.
template <typename T> class MurnSetter {
public:
    virtual ~MurnSetter() = default;
    // Each parameter by the keyed-value rule within the command, and at once at the current
    // frame so that the viewer shows the edit before it is committed.
    virtual void vApply(QLineEdit* edit, const QList<Murn::NumericParameter<T>*>& parameters,
        std::shared_ptr<Vosk::CompositeCommand> command);
    // Puts each parameter's value at the current frame back to the value.
    virtual void vRestore(T value, const QList<Murn::NumericParameter<T>*>& parameters);

private:
    // The direct writes of the edit in progress, undone exactly by vRestore, so that a
    // shown-but-uncommitted value leaves no key behind.
    std::vector<std::shared_ptr<Vosk::CompositeCommand>> m_vecShown;
};

class MurnDataA {
public:
    virtual ~MurnDataA() = default;
    virtual void vChanged(QLineEdit* edit) = 0;
    virtual void vFinish() = 0;
};

// One edit in progress: the command its writes go into and the value it started from.
template <typename T> class MurnData : public MurnDataA {
public:
    MurnData(QList<Murn::NumericParameter<T>*> parameters, std::shared_ptr<MurnSetter<T>> setter);
    void vChanged(QLineEdit* edit) override;
    void vFinish() override;
    bool bIsEditing() const { return m_pCommand != nullptr; }

private:
    QList<Murn::NumericParameter<T>*> m_lstParameters;
    std::shared_ptr<Vosk::CompositeCommand> m_pCommand;
    T m_startValue {};
    std::shared_ptr<MurnSetter<T>> m_pSetter;
};

class MurnUpdater : public QObject {
    Q_OBJECT
public:
    MurnUpdater(QList<QLineEdit*> edits, std::shared_ptr<MurnDataA> data, bool undoRenderSurface);

public slots:
    void changed();
    void finished();

private:
    QList<QLineEdit*> m_lstEdits;
    std::shared_ptr<MurnDataA> m_pData;
    QString m_qstrLastText;
    bool m_bUndoRenderSurface;
};

template <typename T>
std::shared_ptr<MurnUpdater> makeMurnUpdater(QLineEdit* edit, Murn::NumericParameter<T>* parameter,
    bool undoRenderSurface, std::shared_ptr<MurnSetter<T>> setter = std::make_shared<MurnSetter<T>>());
template <typename T>
std::shared_ptr<MurnUpdater> makeMurnUpdater(const QList<QLineEdit*>& edits,
    const QList<Murn::NumericParameter<T>*>& parameters, bool undoRenderSurface,
    std::shared_ptr<MurnSetter<T>> setter = std::make_shared<MurnSetter<T>>());
