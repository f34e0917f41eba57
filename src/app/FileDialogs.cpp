#include "FileDialogs.h"

#include "ClipProbe.h"
#include "MessageBoxes.h"
#include "Settings.h"
#include "Vosk.h"
#include "brandor.h"
#include "velmor.h"

#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>
#include <QSettings>
#include <QTextStream>

namespace {

const QString& qstrFdInvalidProduct()
{
    static const QString s_marker = QStringLiteral("INVALID PRODUCT");
    return s_marker;
}

QString qstrFdDefaultExtension(int fileTypeFlags)
{
    const BRD_ImageIO_Subsystem_Definition* const* definitions = nullptr;
    const unsigned int count = uiBRD_GetSubsystemDefinitions(definitions);
    for (unsigned int index = 0; index < count; ++index) {
        if (definitions[index]->uiFlags != unsigned(fileTypeFlags))
            continue;
        const QString text = QString::fromStdString(definitions[index]->strDefaultExtension);
        const int semicolon = text.indexOf(QLatin1Char(';'));
        return text.mid(1, semicolon < 0 ? -1 : semicolon - 1);
    }
    return QString();
}

} // namespace

QString qstrGetSaveFileName(const QString& startFolder, QWidget* parent, int fileTypeFlags)
{
    QString name;
    bCallReported(parent, [&] {
        const QString extension = qstrFdDefaultExtension(fileTypeFlags);
        const QString filter = qstrGetFileTypeFilter(fileTypeFlags, true);
        QString selected = pGetUserSettings()->value(QStringLiteral("SaveFileFilter"), QString()).toString();
        const QString previousFolder = QDir::currentPath();
        QDir::setCurrent(startFolder);
        name = QFileDialog::getSaveFileName(parent, QStringLiteral("Save As..."), startFolder, filter, &selected);
        QDir::setCurrent(previousFolder);
        pGetUserSettings()->setValue(QStringLiteral("SaveFileFilter"), selected);
        if (name.isEmpty())
            return;
        static const QRegularExpression s_extension(QStringLiteral("\\.\\w+$"));
        if (!s_extension.match(name).hasMatch())
            name += extension;
    });
    return name;
}

QString qstrGetOpenFileName(CW_BaseClipInfo& base, CW_ClipInfo& clip, const QString& startFolder, QWidget* parent)
{
    QString name;
    bCallReported(parent, [&] {
        const QString filter = qstrGetFileTypeFilter(15, false);
        QString selected = pGetUserSettings()->value(QStringLiteral("OpenExistingFileFilter"), QString()).toString();
        name = QFileDialog::getOpenFileName(
            parent, QStringLiteral("Choose a file"), startFolder, filter, &selected, QFileDialog::DontResolveSymlinks);
        pGetUserSettings()->setValue(QStringLiteral("OpenExistingFileFilter"), selected);
        if (name.isEmpty())
            return;
        const bool readable = bGetClipImageInfo(name, base, clip, nullptr);
        vCloseMovie(name);
        if (!readable)
            name.clear();
    });
    return name;
}

QStringList qslGetOpenFileNames(CW_ClipInfo&, const QString& startFolder, QWidget* parent)
{
    QStringList names;
    bCallReported(parent, [&] {
        const QString filter = qstrGetFileTypeFilter(1, false);
        QString selected = pGetUserSettings()->value(QStringLiteral("OpenExistingFilesFilter"), QString()).toString();
        names = QFileDialog::getOpenFileNames(parent, QStringLiteral("Choose one or more files"), startFolder, filter,
            &selected, QFileDialog::DontResolveSymlinks);
        pGetUserSettings()->setValue(QStringLiteral("OpenExistingFilesFilter"), selected);
        if (names.size() > 1)
            names.sort(Qt::CaseSensitive);
    });
    return names;
}

QString qstrGetProjectFileFilter()
{
    const QStringList identities
        = qstrGetLoadableProjects(qstrGetProduct()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    auto pattern = [](const QString& identity) {
        const QString extension = qstrGetFileExtension(identity);
        return extension == qstrFdInvalidProduct() ? QStringLiteral("*.") + identity : QLatin1Char('*') + extension;
    };
    QString filter;
    QTextStream out(&filter);
    if (!identities.isEmpty()) {
        out << "All supported projects (";
        for (const QString& identity : identities)
            out << " " << pattern(identity);
        out << ")";
    }
    for (const QString& identity : identities) {
        const QString name = qstrGetProductName(identity);
        out << ";;" << (name == qstrFdInvalidProduct() ? identity : name) << " projects (" << pattern(identity) << ")";
    }
    out << ";;All Files (*.* *)";
    out.flush();
    return filter;
}

void vApplyProjectFileExtension(QString& fileName)
{
    const QString current = qstrGetFileExtension(qstrGetProduct());
    const QStringList identities = qstrGetProductList(qstrGetProduct()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& identity : identities) {
        const QString extension = qstrGetFileExtension(identity);
        if (extension == qstrFdInvalidProduct() || extension.isEmpty())
            continue;
        // Only an extension that ends the name is a project extension; the same letters
        // inside a folder or file name stay.
        if (fileName.endsWith(extension, Qt::CaseInsensitive)) {
            fileName.chop(extension.size());
            break;
        }
    }
    fileName += current;
}
