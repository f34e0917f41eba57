// Undoable commands: steps done in order and undone in reverse.
#include "Vosk.h"

namespace Vosk {

void CompositeCommand::vAddStep(std::function<void()> doIt, std::function<void()> undoIt)
{
    m_vecSteps.push_back(std::make_shared<Step>(Step {std::move(doIt), std::move(undoIt)}));
}

void CompositeCommand::vAppend(const CompositeCommand& other)
{
    m_vecSteps.insert(m_vecSteps.end(), other.m_vecSteps.begin(), other.m_vecSteps.end());
}

void CompositeCommand::do_it(void*)
{
    for (const auto& step : m_vecSteps)
        if (step->fnDo)
            step->fnDo();
}

void CompositeCommand::undo_it()
{
    for (auto it = m_vecSteps.rbegin(); it != m_vecSteps.rend(); ++it)
        if ((*it)->fnUndo)
            (*it)->fnUndo();
}

} // namespace Vosk
