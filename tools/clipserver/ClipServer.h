// What XMLDir and XMLGet share: where a server's clips are and how a clip is read.
//
// A server is a folder named after it under the folder that PLINTRA_CLIP_SERVER_ROOT names.
// A clip is a sub-folder of its server holding one numbered image sequence
// (name0001.tif ...); the folder's name is the clip's name. An optional "clip.ini" in the
// clip folder gives "rate" (whole frames per second, 25 by default), "start" (the time code
// of the first frame, 00:00:00:00 by default) and "scan" ("Progressive" by default).
#pragma once

#include <QDir>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

namespace clipserver {

// Exit codes: a transfer or listing that failed, and arguments that cannot be used.
constexpr int kiExitFailure = 1;
constexpr int kiExitUsage = 2;

// Most clips one listing reports, and most frames one clip may hold.
constexpr int kiMaximumClips = 10000;
constexpr int kiMaximumFrames = 100000;

// A name that can stand for one folder: not empty, at most 255 characters, no separator,
// no control character, and neither "." nor anything containing "..".
bool bIsPlainName(const QString& name);

// The folder of a server; false with a message when the root is not configured, the name
// is not plain or the server does not exist.
bool bGetServerFolder(const QString& server, QDir& folder, QString& error);

struct Clip {
    QString qstrName;
    // The sequence's files in frame order, their numbers and the digits of the numbers.
    QStringList qslFiles;
    std::vector<int> vecNumbers;
    int iDigits = 0;
    // The text before the number and the suffix after it, without the dot.
    QString qstrPrefix;
    QString qstrSuffix;
    QSize size;
    int iRate = 25;
    qint64 iStartFrame = 0;
    QString qstrScan = QStringLiteral("Progressive");
};

// Reads the clip folder; false with a message when it holds no readable image sequence.
bool bReadClip(const QDir& clipFolder, Clip& clip, QString& error);

// Frames as "hh:mm:ss:ff" at a whole frame rate.
QString qstrTimecode(qint64 frames, int rate);
// "hh:mm:ss:ff" (each part one or two digits, frames below the rate) as a frame count.
bool bParseTimecode(const QString& text, int rate, qint64& frames);

// Text for XML character data.
QString qstrEscapeXml(const QString& text);

// Writes to standard output at once (the wizard reads progress as it comes).
void vWriteOut(const QByteArray& bytes);
void vWriteError(const QString& text);

} // namespace clipserver
