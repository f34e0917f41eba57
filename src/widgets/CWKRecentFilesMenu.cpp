#include "CWKRecentFilesMenu.h"

#include "app/Settings.h"

#include <QAction>
#include <QDir>
#include <QSettings>

namespace {
const QString kqstrRecentFilesKey = QStringLiteral("RecentFiles");
const QString kqstrRecentFilesToDisplayKey = QStringLiteral("RecentFilesToDisplay");
} // namespace

CWKRecentFilesMenu::CWKRecentFilesMenu(const QString& title, QWidget* parent) : QMenu(title, parent)
{
    QSettings* settings = pGetUserSettings();
    m_qslFiles = settings->value(kqstrRecentFilesKey).toStringList();
    setNumFilesToDisplay(settings->value(kqstrRecentFilesToDisplayKey, 10).toInt());
}

CWKRecentFilesMenu::~CWKRecentFilesMenu() = default;

void CWKRecentFilesMenu::setNumFilesToDisplay(int count)
{
    m_iNumFilesToDisplay = qBound(0, count, kiMaxFilesToDisplay);
    pGetUserSettings()->setValue(kqstrRecentFilesToDisplayKey, m_iNumFilesToDisplay);
    while (m_lstActions.size() < m_iNumFilesToDisplay) {
        auto* action = new QAction(this);
        action->setVisible(false);
        connect(action, &QAction::triggered, this, &CWKRecentFilesMenu::sltTriggered);
        addAction(action);
        m_lstActions << action;
    }
    vRebuild();
}

void CWKRecentFilesMenu::sltAddFile(QString& path)
{
    path = QDir::toNativeSeparators(QDir::cleanPath(path));
    if (path.isEmpty())
        return;
    m_qslFiles.removeAll(path);
    m_qslFiles.prepend(path);
    vRebuild();
}

void CWKRecentFilesMenu::sltTriggered(bool)
{
    if (auto* action = qobject_cast<QAction*>(sender()))
        emit fileSelected(action->data().toString());
}

void CWKRecentFilesMenu::vRebuild()
{
    if (m_qslFiles.isEmpty()) {
        setEnabled(false);
        return;
    }
    while (m_qslFiles.size() > m_iNumFilesToDisplay)
        m_qslFiles.removeLast();
    for (int i = 0; i < m_lstActions.size(); ++i) {
        QAction* action = m_lstActions.at(i);
        if (i < m_qslFiles.size()) {
            const QString& path = m_qslFiles.at(i);
            // A '&' inside the path is shown as itself, not as a second accelerator.
            QString shown = path;
            shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
            action->setText(QStringLiteral("&%1 %2").arg(QString::number(i + 1), shown));
            action->setData(path);
            action->setVisible(true);
        } else {
            action->setVisible(false);
        }
    }
    pGetUserSettings()->setValue(kqstrRecentFilesKey, m_qslFiles);
    setEnabled(!m_qslFiles.isEmpty());
}
