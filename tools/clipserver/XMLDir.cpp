// Lists the clips of a clip server as XML on standard output.
//
// Usage: XMLDir.exe MASK -so SERVER
//   MASK   a wildcard pattern ("*", "shot*") matched against the clip names, ignoring case
//
// Output (Latin-1), closed by </COMPLETE>:
//   <COMPLETE>
//   <CLIPS>
//   "name"<TAB>duration<TAB>WxH<TAB>start time code<TAB>rate<TAB>V<TAB>scan
//   </CLIPS>
//   <IO_FORMATS>
//   Read - ...
//   Write - ...
//   </IO_FORMATS>
//   </COMPLETE>
// Names go out as they are, an ampersand included. Clips whose names Latin-1 cannot hold,
// or that hold a character the line format uses (quote, tab, line break) or "<", are left
// out: they could not be asked for again. Failures go to standard error with exit code 1.
#include "ClipServer.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringConverter>

using namespace clipserver;

namespace {

bool bListable(const QString& name)
{
    for (const QChar c : name) {
        if (c.unicode() > 0xff || c == QLatin1Char('"') || c == QLatin1Char('\t') || c == QLatin1Char('\n')
            || c == QLatin1Char('\r') || c == QLatin1Char('<'))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    QString mask;
    QString server;
    bool haveMask = false;
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("-so") && i + 1 < arguments.size()) {
            server = arguments[++i];
        } else if (!haveMask) {
            mask = arguments[i];
            haveMask = true;
        } else {
            vWriteError(QStringLiteral("Usage: XMLDir.exe MASK -so SERVER"));
            return kiExitUsage;
        }
    }
    if (server.isEmpty()) {
        vWriteError(QStringLiteral("Usage: XMLDir.exe MASK -so SERVER"));
        return kiExitUsage;
    }
    if (mask.isEmpty())
        mask = QStringLiteral("*");
    const QRegularExpression pattern(
        QRegularExpression::wildcardToRegularExpression(mask), QRegularExpression::CaseInsensitiveOption);
    if (!pattern.isValid()) {
        vWriteError(QStringLiteral("The mask \"%1\" is not a pattern.").arg(mask));
        return kiExitUsage;
    }

    QDir serverFolder;
    QString error;
    if (!bGetServerFolder(server, serverFolder, error)) {
        vWriteError(error);
        return kiExitFailure;
    }

    QString lines;
    int listed = 0;
    const QStringList folders
        = serverFolder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : folders) {
        if (listed >= kiMaximumClips)
            break;
        if (!bListable(name) || !pattern.match(name).hasMatch())
            continue;
        Clip clip;
        if (!bReadClip(QDir(serverFolder.filePath(name)), clip, error))
            continue;
        lines += QStringLiteral("\"%1\"\t%2\t%3x%4\t%5\t%6\tV\t%7\n")
                     .arg(name, qstrTimecode(clip.qslFiles.size(), clip.iRate))
                     .arg(clip.size.width())
                     .arg(clip.size.height())
                     .arg(qstrTimecode(clip.iStartFrame, clip.iRate))
                     .arg(clip.iRate)
                     .arg(clip.qstrScan);
        ++listed;
    }
    const QString document = QStringLiteral("<COMPLETE>\n<CLIPS>\n") + lines
        + QStringLiteral("</CLIPS>\n<IO_FORMATS>\nRead - tif png jpg bmp\nWrite - tif png jpg bmp\n</IO_FORMATS>\n"
                         "</COMPLETE>\n");
    vWriteOut(document.toLatin1());
    return 0;
}
