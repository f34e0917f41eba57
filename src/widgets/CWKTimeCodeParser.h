// Reading frame indices from the text of a time-code edit: a frame number, a frame number
// with a field letter, or a time code HH:MM:SS:FF with an optional field letter. The
// correction of the edits and the parser share these steps, so that a text means the same
// frame to both.
#pragma once

#include <QString>

class QLineEdit;

namespace timecodetext {

// Reads columns 0-1, 3-4, 6-7 and 9-10 as digits and 2, 5, 8 as ':', replacing anything
// else (and lengthening a short text). The numbers come out as hours, minutes, seconds,
// frames.
void vRepairColumns(QString& text, int& hours, int& minutes, int& seconds, int& frames);
// Column 11 becomes ':' and column 12, unless a field letter already, the given letter.
void vRepairFieldColumn(QString& text, QChar defaultLetter);
// The field a letter names, added to a doubled frame index.
long long llApplyFieldStep(long long doubledIndex, QChar field, bool upperFieldFirst, bool lowerFieldFirst);
// A frame number with a field letter ("12:U"); the text gains ":" and "U" when missing.
long long llReadFieldNumber(QString& text, bool upperFieldFirst, bool lowerFieldFirst);
// Whole frames of a time code at a rate; the rate is rounded the way the frame display
// rounds it, so that displayed and typed time codes agree at 29.97 fps and the like.
long long llTimecodeFrames(int hours, int minutes, int seconds, int frames, float frameRate);
// The frame index a text denotes: fewer than two ':' make a frame number (with a field
// letter where the material has fields), more a time code.
long long llParseText(
    QString text, int framesPerSecond, bool interlaced, bool fieldLetter, bool upperFieldFirst, bool lowerFieldFirst);

} // namespace timecodetext

// The frame index the edit's text denotes; out-of-range values are returned as they are.
int iParseTimecodeEdit(QLineEdit* edit, int framesPerSecond, bool interlaced, bool fieldLetter, bool upperFieldFirst,
    bool lowerFieldFirst, int first, int count);
