#include "ExternalPrograms.h"

#include "MessageBoxes.h"
#include "ProgramState.h"
#include "Settings.h"
#include "Vosk.h"
#include "platform/DesktopPrograms.h"
#include "preferences/frmPreferences.h"

#include <QDir>
#include <QLineEdit>
#include <QSettings>

void vLaunchExternalProgram(const QString& program, const QString& argument, const QString& label)
{
    const QString message = QStringLiteral("Failed to launch ") + label
        + QStringLiteral(". Please make sure this external program is installed in the location specified in "
                         "preferences.");
    const auto tell = [message] { vShowInformation(nullptr, message); };
    if (!bStartDesktopProgram(program, argument, tell))
        tell();
}

void vOpenInWebBrowser(const QString& addressOrFile)
{
    static const QString label = QStringLiteral("Web Browser");
    vLaunchExternalProgram(frmPreferences::qstrGetWebBrowser(), addressOrFile, label);
}

void vOpenInPdfReader(const QString& path)
{
    static const QString label = QStringLiteral("PDF Reader");
    vLaunchExternalProgram(frmPreferences::qstrGetPdfReader(), path, label);
}

QString qstrGetQuickStartGuidePath(const QString& product)
{
    return qstrGetProductDocDir(product) + QDir::separator() + QStringLiteral("Quick Start.pdf");
}

QString qstrGetReleaseNotesPath(const QString& product)
{
    return qstrGetProductDocDir(product) + QDir::separator() + qstrGetProductName(product)
        + QStringLiteral(" Release Notes.pdf");
}

QString qstrGetDocumentationUrl()
{
    return QStringLiteral("https://docs.corvaneworks.com/plintra/");
}

QString qstrGetProductWebsiteUrl()
{
    return QStringLiteral("https://www.corvaneworks.com/");
}

QString qstrGetForumsUrl()
{
    return QStringLiteral("https://forum.corvaneworks.com/");
}

QString qstrGetTutorialsUrl()
{
    return QStringLiteral("https://training.example.com/tutorials/");
}

QString qstrGetAssociatedProgram(const QString& extension)
{
    return qstrGetProgramFromOpenCommand(qstrGetDesktopOpenCommand(extension));
}

QString qstrGetProgramFromOpenCommand(const QString& command)
{
    const QString cleaned = qstrRemoveNonPrintable(command).trimmed();
    if (cleaned.isEmpty())
        return QString();
    // The document placeholder: "%1" as registered commands write it, or a desktop
    // entry's file and address codes.
    int cut = cleaned.lastIndexOf(QStringLiteral("\"%1"));
    if (cut < 0)
        cut = cleaned.lastIndexOf(QStringLiteral("%1"));
    if (cut < 0) {
        for (const char* code : {"%f", "%F", "%u", "%U"}) {
            const int at = cleaned.indexOf(QLatin1String(code));
            if (at >= 0 && (cut < 0 || at < cut))
                cut = at;
        }
        if (cut > 0 && cleaned.at(cut - 1) == QLatin1Char('"'))
            --cut;
    }
    if (cut < 0)
        return cleaned;
    return qstrRemoveNonPrintable(cleaned.left(cut)).trimmed();
}

QString qstrRemoveNonPrintable(const QString& text)
{
    QString result = text;
    for (int i = 0; i < result.size();) {
        if (result.at(i).isPrint())
            ++i;
        else
            result.remove(i, 1);
    }
    return result;
}
