#include "CWKTimeCodeParser.h"

#include "app/ShellAccessors.h"

#include <QLineEdit>
#include <algorithm>
#include <limits>

namespace timecodetext {

void vRepairColumns(QString& text, int& hours, int& minutes, int& seconds, int& frames)
{
    if (text.size() < 11)
        text.resize(11, QLatin1Char('0'));
    for (int column = 0; column < 11; ++column) {
        const bool separator = column == 2 || column == 5 || column == 8;
        if (separator) {
            if (text[column] != QLatin1Char(':'))
                text[column] = QLatin1Char(':');
        } else if (!text[column].isDigit() || text[column].unicode() > 127) {
            text[column] = QLatin1Char('0');
        }
    }
    hours = text.mid(0, 2).toInt();
    minutes = text.mid(3, 2).toInt();
    seconds = text.mid(6, 2).toInt();
    frames = text.mid(9, 2).toInt();
}

void vRepairFieldColumn(QString& text, QChar defaultLetter)
{
    if (text.size() < 13)
        text.resize(13, defaultLetter);
    text[11] = QLatin1Char(':');
    const QChar letter = text[12];
    if (letter != QLatin1Char('U') && letter != QLatin1Char('u') && letter != QLatin1Char('L')
        && letter != QLatin1Char('l'))
        text[12] = defaultLetter;
}

long long llApplyFieldStep(long long doubledIndex, QChar field, bool upperFieldFirst, bool lowerFieldFirst)
{
    const bool upper = field == QLatin1Char('U') || field == QLatin1Char('u');
    if (upper)
        return upperFieldFirst ? doubledIndex : doubledIndex + 1;
    return lowerFieldFirst ? doubledIndex : doubledIndex + 1;
}

long long llReadFieldNumber(QString& text, bool upperFieldFirst, bool lowerFieldFirst)
{
    long long index = 0;
    const int colon = text.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        index = 2 * text.left(colon).toLongLong();
    } else {
        index = 2 * text.toLongLong();
        text += QLatin1Char(':');
    }
    const QString field = text.mid(text.indexOf(QLatin1Char(':')) + 1);
    const bool hasLetter = field.contains(QLatin1Char('U')) || field.contains(QLatin1Char('u'))
        || field.contains(QLatin1Char('L')) || field.contains(QLatin1Char('l'));
    if (!hasLetter)
        text += QLatin1Char('U');
    const bool upper = !hasLetter || field.contains(QLatin1Char('U')) || field.contains(QLatin1Char('u'));
    return llApplyFieldStep(index, upper ? QLatin1Char('U') : QLatin1Char('L'), upperFieldFirst, lowerFieldFirst);
}

long long llTimecodeFrames(int hours, int minutes, int seconds, int frames, float frameRate)
{
    const long long perSecond = iRoundAbs(frameRate);
    return perSecond * (seconds + 60LL * minutes + 3600LL * hours) + frames;
}

long long llParseText(
    QString text, int framesPerSecond, bool interlaced, bool fieldLetter, bool upperFieldFirst, bool lowerFieldFirst)
{
    if (text.count(QLatin1Char(':')) < 2) {
        if (interlaced && fieldLetter)
            return llReadFieldNumber(text, upperFieldFirst, lowerFieldFirst);
        return text.toLongLong();
    }
    int hours = 0, minutes = 0, seconds = 0, frames = 0;
    vRepairColumns(text, hours, minutes, seconds, frames);
    const long long whole = llTimecodeFrames(hours, minutes, seconds, 0, float(framesPerSecond));
    if (!interlaced)
        return whole + frames;
    if (!fieldLetter)
        return 2 * whole + frames;
    vRepairFieldColumn(text, QLatin1Char('u'));
    return llApplyFieldStep(2 * (whole + frames), text[12], upperFieldFirst, lowerFieldFirst);
}

} // namespace timecodetext

int iParseTimecodeEdit(QLineEdit* edit, int framesPerSecond, bool interlaced, bool fieldLetter, bool upperFieldFirst,
    bool lowerFieldFirst, int, int)
{
    if (!edit)
        return 0;
    const long long index = timecodetext::llParseText(
        edit->text(), framesPerSecond, interlaced, fieldLetter, upperFieldFirst, lowerFieldFirst);
    // Beyond an int is beyond every clip; it must not wrap into one.
    return int(std::clamp<long long>(index, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
