#include "widgets/MurnSetter.h"

#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "curves/KeyframeManager.h"
#include "mainwindow/frmMain.h"
#include "velmor.h"

#include <QLineEdit>
#include <QMetaMethod>
#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

namespace {

// A relative shift keeps whole-number types within their range; decimals are not limited.
template <typename T> T tSetterShifted(double value)
{
    if constexpr (std::is_same<T, bool>::value) {
        return value >= 0.5;
    } else if constexpr (std::is_integral<T>::value) {
        const double low = double(std::numeric_limits<T>::lowest());
        const double high = double(std::numeric_limits<T>::max());
        return T(std::min(std::max(value, low), high));
    } else {
        return T(value);
    }
}

// The edit's text as the type's value: whole numbers truncated toward zero and kept within
// the type, so that "-3" never wraps to a huge unsigned value.
template <typename T> T tSetterFromText(const QString& text)
{
    const double value = text.toDouble();
    if constexpr (std::is_integral<T>::value)
        return tSetterShifted<T>(std::trunc(value));
    else
        return T(value);
}

CW_Instance pSetterProject()
{
    return ProjectManagerInstance::instance()->getInstance();
}

float fSetterCurrentFrame()
{
    return float(uiGetFrameNumber(pSetterProject()));
}

QWidget* pSetterBoxParent(QLineEdit* edit)
{
    if (g_pMainWindow)
        return g_pMainWindow;
    return edit ? edit->window() : nullptr;
}

} // namespace

void vGetSetterRange(float& start, float& end)
{
    start = 0.0f;
    end = float(std::numeric_limits<int>::max());
    if (g_pMainWindow && g_pMainWindow->sldrFrameNumber) {
        start = float(g_pMainWindow->sldrFrameNumber->primaryStart());
        end = float(g_pMainWindow->sldrFrameNumber->primaryEnd());
    }
}

template <typename T>
void vWriteParameterValue(
    Murn::NumericParameter<T>* parameter, T value, const float* time, Vosk::CompositeCommand* command)
{
    if (time)
        parameter->setValueAt(value, *time, command);
    else
        parameter->setStaticValue(value, command);
}

template <typename T>
bool bSetParameterValue(Murn::NumericParameter<T>* parameter, T value, float frame, bool autoKey, bool uberKey,
    float rangeStart, float rangeEnd, Vosk::CompositeCommand* command)
{
    const unsigned int keys = parameter->uiGetKeyCount();
    if (uberKey) {
        if (keys == 0) {
            vWriteParameterValue<T>(parameter, value, nullptr, command);
            return true;
        }
        const double delta = double(value) - double(parameter->valueAt(frame));
        for (unsigned int i = 0; i < keys; ++i) {
            const float time = parameter->fGetKeyTime(i);
            if (time < rangeStart || time > rangeEnd)
                continue;
            vWriteParameterValue<T>(parameter, tSetterShifted<T>(double(parameter->keyValue(i)) + delta), &time, command);
        }
        return true;
    }
    if (autoKey)
        vWriteParameterValue<T>(parameter, value, &frame, command);
    else if (keys > 0) {
        if (parameter->bHasKeyAt(frame))
            vWriteParameterValue<T>(parameter, value, &frame, command);
    } else
        vWriteParameterValue<T>(parameter, value, nullptr, command);
    return true;
}

template <typename T>
bool bSetParameterValueNow(
    Murn::NumericParameter<T>* parameter, T value, CW_Instance project, Vosk::CompositeCommand* command)
{
    KeyframeManager* keys = KeyframeManager::instance();
    float start = 0.0f;
    float end = 0.0f;
    vGetSetterRange(start, end);
    return bSetParameterValue<T>(parameter, value, float(uiGetFrameNumber(project)), keys->bGetAutokey(),
        keys->bGetUberkey(), start, end, command);
}

template <typename T> bool bSetParameterValueCmd(Murn::NumericParameter<T>* parameter, T value, CW_Instance project)
{
    Vosk::CompositeCommand command;
    const bool result = bSetParameterValueNow<T>(parameter, value, project, &command);
    bMakeParameterChange(project, command, nullptr, 1.0f, true);
    return result;
}

template <typename T>
bool bSetParameterValueAt(Murn::NumericParameter<T>* parameter, T value, float frame, bool autoKey, bool uberKey,
    float rangeStart, float rangeEnd, Vosk::CompositeCommand* command)
{
    return bSetParameterValue<T>(parameter, value, frame, autoKey, uberKey, rangeStart, rangeEnd, command);
}

template <typename T>
void MurnSetter<T>::vApply(QLineEdit* edit, const QList<Murn::NumericParameter<T>*>& parameters,
    std::shared_ptr<Vosk::CompositeCommand> command)
{
    const float frame = fSetterCurrentFrame();
    const T value = tSetterFromText<T>(edit->text());
    KeyframeManager* keys = KeyframeManager::instance();
    float start = 0.0f;
    float end = 0.0f;
    vGetSetterRange(start, end);
    for (Murn::NumericParameter<T>* parameter : parameters) {
        bSetParameterValue<T>(
            parameter, value, frame, keys->bGetAutokey(), keys->bGetUberkey(), start, end, command.get());
        auto shown = std::make_shared<Vosk::CompositeCommand>();
        vWriteParameterValue<T>(parameter, value, &frame, shown.get());
        shown->do_it(nullptr);
        m_vecShown.push_back(shown);
    }
}

template <typename T> void MurnSetter<T>::vRestore(T value, const QList<Murn::NumericParameter<T>*>& parameters)
{
    if (m_vecShown.empty()) {
        const float frame = fSetterCurrentFrame();
        for (Murn::NumericParameter<T>* parameter : parameters)
            parameter->setValueAt(value, frame);
        return;
    }
    for (auto it = m_vecShown.rbegin(); it != m_vecShown.rend(); ++it)
        (*it)->undo_it();
    m_vecShown.clear();
}

template <typename T>
MurnData<T>::MurnData(QList<Murn::NumericParameter<T>*> parameters, std::shared_ptr<MurnSetter<T>> setter)
    : m_lstParameters(std::move(parameters))
    , m_pSetter(std::move(setter))
{
}

template <typename T> void MurnData<T>::vChanged(QLineEdit* edit)
{
    if (m_lstParameters.isEmpty() || !m_pSetter)
        return;
    if (!m_pCommand) {
        m_startValue = m_lstParameters.first()->valueAt(fSetterCurrentFrame());
    } else {
        // Every change of one edit is made against the parameters as the edit found them: the
        // value shown for the previous change is taken back and its writes are replaced, or
        // the next change would key what was only shown and shift keys twice. Taking it back
        // shows the start value in the bound fields; the edit keeps its new text.
        const QString text = edit->text();
        m_pSetter->vRestore(m_startValue, m_lstParameters);
        if (edit->text() != text)
            edit->setText(text);
    }
    m_pCommand = std::make_shared<Vosk::CompositeCommand>();
    m_pSetter->vApply(edit, m_lstParameters, m_pCommand);
    if (g_pMainWindow)
        g_pMainWindow->sltUpdateGL();
}

template <typename T> void MurnData<T>::vFinish()
{
    if (!m_pCommand)
        return;
    // Taken first: a commit that throws must not be committed again by the next edit.
    std::shared_ptr<Vosk::CompositeCommand> command = std::move(m_pCommand);
    m_pCommand.reset();
    m_pSetter->vRestore(m_startValue, m_lstParameters);
    bMakeParameterChange(pSetterProject(), *command, nullptr, 1.0f, true);
    if (g_pMainWindow) {
        g_pMainWindow->sltUpdateGL();
        g_pMainWindow->sltUpdateGUI();
    }
}

MurnUpdater::MurnUpdater(QList<QLineEdit*> edits, std::shared_ptr<MurnDataA> data, bool undoRenderSurface)
    : m_lstEdits(std::move(edits))
    , m_pData(std::move(data))
    , m_bUndoRenderSurface(undoRenderSurface)
{
    if (!m_lstEdits.isEmpty() && m_lstEdits.first())
        m_qstrLastText = m_lstEdits.first()->text();
    const QMetaMethod changedSlot = metaObject()->method(metaObject()->indexOfSlot("changed()"));
    for (QLineEdit* edit : m_lstEdits) {
        if (!edit)
            continue;
        // The numeric edits each declare their own valueChanged().
        const int signal = edit->metaObject()->indexOfSignal("valueChanged()");
        if (signal >= 0)
            connect(edit, edit->metaObject()->method(signal), this, changedSlot);
        connect(edit, &QLineEdit::editingFinished, this, &MurnUpdater::finished);
    }
}

void MurnUpdater::changed()
{
    auto* edit = qobject_cast<QLineEdit*>(sender());
    if (!edit)
        return;
    // A slot of a widget signal: whatever the engine throws is shown here, not passed on.
    bCallReported(pSetterBoxParent(edit), [&] {
        if (m_bUndoRenderSurface)
            bUndoRenderSurfaceCurrentFrame(pSetterProject(), false);
        const QString text = edit->text();
        if (text == m_qstrLastText)
            return;
        m_pData->vChanged(edit);
        m_qstrLastText = text;
        for (QLineEdit* other : m_lstEdits)
            if (other && other->text() != text)
                other->setText(text);
        if (!edit->hasFocus())
            m_pData->vFinish();
    });
}

void MurnUpdater::finished()
{
    auto* edit = qobject_cast<QLineEdit*>(sender());
    bCallReported(pSetterBoxParent(edit), [this] { m_pData->vFinish(); });
}

template <typename T>
std::shared_ptr<MurnUpdater> makeMurnUpdater(
    QLineEdit* edit, Murn::NumericParameter<T>* parameter, bool undoRenderSurface, std::shared_ptr<MurnSetter<T>> setter)
{
    return makeMurnUpdater<T>(QList<QLineEdit*> {edit}, QList<Murn::NumericParameter<T>*> {parameter},
        undoRenderSurface, std::move(setter));
}

template <typename T>
std::shared_ptr<MurnUpdater> makeMurnUpdater(const QList<QLineEdit*>& edits,
    const QList<Murn::NumericParameter<T>*>& parameters, bool undoRenderSurface, std::shared_ptr<MurnSetter<T>> setter)
{
    auto data = std::make_shared<MurnData<T>>(parameters, std::move(setter));
    return std::make_shared<MurnUpdater>(edits, data, undoRenderSurface);
}

#define MURN_SETTER_WRITERS(T)                                                                                         \
    template void vWriteParameterValue<T>(Murn::NumericParameter<T>*, T, const float*, Vosk::CompositeCommand*);       \
    template bool bSetParameterValue<T>(                                                                               \
        Murn::NumericParameter<T>*, T, float, bool, bool, float, float, Vosk::CompositeCommand*);                      \
    template bool bSetParameterValueNow<T>(Murn::NumericParameter<T>*, T, CW_Instance, Vosk::CompositeCommand*);

MURN_SETTER_WRITERS(unsigned int)
MURN_SETTER_WRITERS(unsigned char)
MURN_SETTER_WRITERS(bool)
MURN_SETTER_WRITERS(float)
MURN_SETTER_WRITERS(double)

template bool bSetParameterValueCmd<unsigned int>(Murn::NumericParameter<unsigned int>*, unsigned int, CW_Instance);
template bool bSetParameterValueCmd<float>(Murn::NumericParameter<float>*, float, CW_Instance);
template bool bSetParameterValueCmd<bool>(Murn::NumericParameter<bool>*, bool, CW_Instance);
template bool bSetParameterValueCmd<unsigned char>(Murn::NumericParameter<unsigned char>*, unsigned char, CW_Instance);
template bool bSetParameterValueAt<unsigned int>(
    Murn::NumericParameter<unsigned int>*, unsigned int, float, bool, bool, float, float, Vosk::CompositeCommand*);
template bool bSetParameterValueAt<float>(
    Murn::NumericParameter<float>*, float, float, bool, bool, float, float, Vosk::CompositeCommand*);

template class MurnSetter<unsigned int>;
template class MurnSetter<float>;
template class MurnSetter<double>;
template class MurnData<unsigned int>;
template class MurnData<float>;
template class MurnData<double>;

#define MURN_SETTER_UPDATERS(T)                                                                                        \
    template std::shared_ptr<MurnUpdater> makeMurnUpdater<T>(                                                          \
        QLineEdit*, Murn::NumericParameter<T>*, bool, std::shared_ptr<MurnSetter<T>>);                                 \
    template std::shared_ptr<MurnUpdater> makeMurnUpdater<T>(const QList<QLineEdit*>&,                                 \
        const QList<Murn::NumericParameter<T>*>&, bool, std::shared_ptr<MurnSetter<T>>);

MURN_SETTER_UPDATERS(unsigned int)
MURN_SETTER_UPDATERS(float)
MURN_SETTER_UPDATERS(double)
