// Renders one of the program's documents from Markdown to the PDF file that the Help menu
// opens. Runs during the build, with no display.
// Usage: docpdf <document.md> <output.pdf> [fonts folder]
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

#include <cstdio>

namespace {

int iFail(const QString& message)
{
    std::fprintf(stderr, "docpdf: %s\n", qPrintable(message));
    return 1;
}

// The family of the first font the folder adds; empty when it adds none.
QString qstrLoadFonts(const QString& folder)
{
    QString family;
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*.ttf")}, QDir::Files, QDir::Name);
    for (const QFileInfo& file : files) {
        const int id = QFontDatabase::addApplicationFont(file.absoluteFilePath());
        const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
        if (family.isEmpty() && !families.isEmpty())
            family = families.first();
    }
    return family;
}

} // namespace

int main(int argc, char** argv)
{
    // A build machine has no display; this tool draws into files only.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3 || args.size() > 4)
        return iFail(QStringLiteral("usage: docpdf <document.md> <output.pdf> [fonts folder]"));

    QFile source(args.at(1));
    if (!source.open(QIODevice::ReadOnly))
        return iFail(QStringLiteral("cannot read %1: %2").arg(args.at(1), source.errorString()));
    const QString markdown = QString::fromUtf8(source.readAll());
    if (markdown.trimmed().isEmpty())
        return iFail(QStringLiteral("%1 is empty").arg(args.at(1)));

    QTextDocument document;
    if (args.size() == 4) {
        const QString family = qstrLoadFonts(args.at(3));
        if (family.isEmpty())
            return iFail(QStringLiteral("no font in %1").arg(args.at(3)));
        document.setDefaultFont(QFont(family, 10));
    }
    document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    if (document.isEmpty())
        return iFail(QStringLiteral("%1 holds no text").arg(args.at(1)));

    // Written beside the target and moved over it, so a failed run leaves no half file.
    QDir().mkpath(QFileInfo(args.at(2)).absolutePath());
    QSaveFile output(args.at(2));
    if (!output.open(QIODevice::WriteOnly))
        return iFail(QStringLiteral("cannot write %1: %2").arg(args.at(2), output.errorString()));
    {
        QPdfWriter writer(&output);
        writer.setPageLayout(QPageLayout(
            QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
        writer.setResolution(300);
        writer.setCreator(QStringLiteral("Plintra"));
        // The first line of the document is its title.
        writer.setTitle(markdown.section(QLatin1Char('\n'), 0, 0).remove(QLatin1Char('#')).trimmed());
        document.print(&writer);
    }
    if (!output.commit())
        return iFail(QStringLiteral("cannot write %1: %2").arg(args.at(2), output.errorString()));
    return 0;
}
