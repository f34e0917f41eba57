// How every frame field writes and reads a frame of the project's main clip. Frames are
// indices counted from 0 (fields for interlaced material); as frame numbers they are shown
// plus the clip's frame offset, as time code without it. The display, the correction of
// the time-code edits and the reading of their text all follow this one rule, so that a
// frame typed is the frame landed on.
#pragma once

#include "cwbase.h"

#include <QString>

struct CWKFrameTextRule {
    bool bValid = false;
    bool bTimecode = false;
    bool bInterlaced = false;
    bool bUpperFieldFirst = false;
    bool bLowerFieldFirst = false;
    float fFrameRate = 25.0f;
    // Added to an index shown as a frame number; 0 for time code.
    int iOffset = 0;
    unsigned int uiCount = 0;

    // The text of an index.
    QString qstrGetText(int index) const;
    // The index a text denotes, not limited to the clip.
    long long llGetIndex(const QString& text) const;
    // The index limited to the clip: 0 to count - 1.
    int iClampIndex(long long index) const;
    // Repairs any text into the text of a frame of the clip.
    void vCorrect(QString& text) const;
    // The largest frame number the text shows, for the width of the field's pattern.
    long long llGetLargestShownNumber() const;

private:
    // The shown number (frame number plus offset, or time-code frames) of a text already in
    // the project's form.
    long long llReadShownNumber(const QString& text) const;
};

// The rule for the project's main clip (clip 1); not valid without a project or clip.
CWKFrameTextRule stctGetFrameTextRule(CW_Instance project);
