#include "CWKFrameTextRule.h"

#include "CWKTimeCodeParser.h"
#include "app/ShellAccessors.h"
#include "velmor.h"

#include <algorithm>

QString CWKFrameTextRule::qstrGetText(int index) const
{
    return qstrGetFrameDisplayString(index, fFrameRate, bTimecode, bInterlaced, bLowerFieldFirst, true, iOffset);
}

long long CWKFrameTextRule::llReadShownNumber(const QString& text) const
{
    if (bTimecode)
        return timecodetext::llParseText(
            text, std::max(1, iRoundAbs(fFrameRate)), bInterlaced, true, bUpperFieldFirst, bLowerFieldFirst);
    if (bInterlaced) {
        QString copy = text;
        return timecodetext::llReadFieldNumber(copy, bUpperFieldFirst, bLowerFieldFirst);
    }
    return text.toLongLong();
}

long long CWKFrameTextRule::llGetIndex(const QString& text) const
{
    return llReadShownNumber(text) - iOffset;
}

int CWKFrameTextRule::iClampIndex(long long index) const
{
    if (uiCount == 0)
        return 0;
    return int(std::min<long long>(std::max<long long>(index, 0), static_cast<long long>(uiCount) - 1));
}

void CWKFrameTextRule::vCorrect(QString& text) const
{
    if (bTimecode) {
        int hours = 0, minutes = 0, seconds = 0, frames = 0;
        timecodetext::vRepairColumns(text, hours, minutes, seconds, frames);
        if (bInterlaced)
            timecodetext::vRepairFieldColumn(text, QLatin1Char('U'));
    }
    text = qstrGetText(iClampIndex(llGetIndex(text)));
}

long long CWKFrameTextRule::llGetLargestShownNumber() const
{
    const long long last = static_cast<long long>(iOffset) + std::max(1u, uiCount) - 1;
    return bInterlaced ? last / 2 : last;
}

CWKFrameTextRule stctGetFrameTextRule(CW_Instance project)
{
    CWKFrameTextRule rule;
    if (!project || !bIsValidInstance(project))
        return rule;
    const CW_BaseClipInfo* clip = pcstctGetBaseClipInfo(project, 1);
    if (!clip)
        return rule;
    rule.bValid = true;
    rule.bTimecode = bGetUseTimeCode(project);
    rule.bUpperFieldFirst = clip->iFieldMode == CW_UPPER_FIELD_FIRST;
    rule.bLowerFieldFirst = clip->iFieldMode == CW_LOWER_FIELD_FIRST;
    rule.bInterlaced = rule.bUpperFieldFirst || rule.bLowerFieldFirst;
    rule.fFrameRate = clip->fFrameRate;
    rule.iOffset = rule.bTimecode ? 0 : clip->iFrameOffset;
    rule.uiCount = clip->uiCount;
    return rule;
}
