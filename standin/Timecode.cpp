#include "Vosk.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Vosk {

Timecode::Timecode(float frameRate, bool interlaced, bool lowerFieldFirst)
    : m_iFramesPerSecond(std::max(1, int(std::lround(std::fabs(frameRate))))), m_bInterlaced(interlaced),
      m_bLowerFieldFirst(lowerFieldFirst)
{
}

void Timecode::populateTimecodeString(QString& text, int frame, bool fieldLetter) const
{
    const bool negative = frame < 0;
    const long long index = std::llabs(static_cast<long long>(frame));
    const long long whole = m_bInterlaced ? index / 2 : index;
    const long long fps = m_iFramesPerSecond;
    const long long seconds = whole / fps;
    text = QString::asprintf("%s%02lld:%02lld:%02lld:%02lld", negative ? "-" : "", seconds / 3600, (seconds / 60) % 60,
                             seconds % 60, whole % fps);
    if (m_bInterlaced && fieldLetter) {
        const bool dominant = index % 2 == 0;
        text += (dominant != m_bLowerFieldFirst) ? QStringLiteral(":U") : QStringLiteral(":L");
    }
}

} // namespace Vosk
