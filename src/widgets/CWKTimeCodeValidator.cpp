#include "CWKTimeCodeValidator.h"

#include "CWKTimeCodeParser.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "velmor.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstdlib>

namespace {
bool bTimecodeInterlaced(const CW_BaseClipInfo& info)
{
    return info.iFieldMode == CW_UPPER_FIELD_FIRST || info.iFieldMode == CW_LOWER_FIELD_FIRST;
}

// Enough digits for every index of the clip, and never fewer than five.
int iTimecodeNumberDigits(const CW_BaseClipInfo& info)
{
    const long long last = std::llabs(static_cast<long long>(info.iFirstIndex) + info.uiCount);
    return std::max(5, int(QString::number(bTimecodeInterlaced(info) ? last / 2 + 1 : last).size()));
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
    const CW_BaseClipInfo* info = pcstctGetBaseClipInfo(project, 1);
    const CW_BaseClipInfo clip = info ? *info : CW_BaseClipInfo();
    const bool interlaced = bTimecodeInterlaced(clip);
    QString pattern;
    if (bGetUseTimeCode(project))
        pattern = QStringLiteral("\\d{2}[:]\\d{2}[:]\\d{2}[:]\\d{2}");
    else
        pattern = QStringLiteral("\\d{1,%1}").arg(iTimecodeNumberDigits(clip));
    if (interlaced)
        pattern += QStringLiteral("[:][U,L,u,l]");
    setRegularExpression(QRegularExpression(pattern));
}

void CWKTimeCodeValidator::fixup(QString& text) const
{
    CW_AutoLock(&g_mtxEngine, "fixup");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (!bIsValidInstance(project))
        return;
    const CW_BaseClipInfo* info = pcstctGetBaseClipInfo(project, 1);
    if (!info)
        return;
    const bool interlaced = bTimecodeInterlaced(*info);
    const bool upperFirst = info->iFieldMode == CW_UPPER_FIELD_FIRST;
    const bool lowerFirst = info->iFieldMode == CW_LOWER_FIELD_FIRST;
    const bool timecode = bGetUseTimeCode(project);

    long long index = 0;
    if (timecode) {
        int hours = 0, minutes = 0, seconds = 0, frames = 0;
        timecodetext::vRepairColumns(text, hours, minutes, seconds, frames);
        index = timecodetext::llTimecodeFrames(hours, minutes, seconds, frames, info->fFrameRate);
        if (interlaced) {
            timecodetext::vRepairFieldColumn(text, QLatin1Char('U'));
            index = timecodetext::llApplyFieldStep(2 * index, text[12], upperFirst, lowerFirst);
        }
    } else if (interlaced) {
        index = timecodetext::llReadFieldNumber(text, upperFirst, lowerFirst);
    } else {
        index = text.toLongLong();
    }

    const long long first = info->iFirstIndex;
    const long long end = first + info->uiCount;
    if (index >= end)
        index = end - 1;
    if (index < first)
        index = first;

    if (timecode) {
        text = qstrGetFrameDisplayString(int(index), info->fFrameRate, true, interlaced, lowerFirst, true, 0);
    } else if (interlaced) {
        const bool upperLetter = (upperFirst && index % 2 == 0) || (lowerFirst && index % 2 != 0);
        const long long whole = index >= 0 ? index / 2 : -((-index + 1) / 2);
        text = QString::number(whole) + QLatin1Char(':') + (upperLetter ? QLatin1Char('U') : QLatin1Char('L'));
    } else {
        text = QString::number(index);
    }
}
