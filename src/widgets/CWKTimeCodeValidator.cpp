#include "CWKTimeCodeValidator.h"

#include "CWKFrameTextRule.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "velmor.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstdlib>

namespace {
// Enough digits for every frame number the clip shows, and never fewer than five.
int iTimecodeNumberDigits(const CWKFrameTextRule& rule)
{
    return std::max(5, int(QString::number(std::llabs(rule.llGetLargestShownNumber())).size()));
}
} // namespace

CWKTimeCodeValidator::CWKTimeCodeValidator(QObject* parent)
    : QRegularExpressionValidator(parent)
{
    CW_AutoLock(&g_mtxEngine, "CWKTimeCodeValidator");
    vUpdateRegExp(ProjectManagerInstance::instance()->getInstance());
}

void CWKTimeCodeValidator::vUpdateRegExp(CW_Instance project)
{
    if (!project || !bIsValidInstance(project))
        return;
    const CWKFrameTextRule rule = stctGetFrameTextRule(project);
    QString pattern;
    if (bGetUseTimeCode(project))
        pattern = QStringLiteral("\\d{2}[:]\\d{2}[:]\\d{2}[:]\\d{2}");
    else
        pattern = QStringLiteral("\\d{1,%1}").arg(iTimecodeNumberDigits(rule));
    if (rule.bInterlaced)
        pattern += QStringLiteral("[:][U,L,u,l]");
    setRegularExpression(QRegularExpression(pattern));
}

void CWKTimeCodeValidator::fixup(QString& text) const
{
    CW_AutoLock(&g_mtxEngine, "fixup");
    const CWKFrameTextRule rule = stctGetFrameTextRule(ProjectManagerInstance::instance()->getInstance());
    if (rule.bValid)
        rule.vCorrect(text);
}
