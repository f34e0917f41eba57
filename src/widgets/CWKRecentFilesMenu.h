// The recent-projects submenu, kept in the user settings, most recent first.
#pragma once

#include <QList>
#include <QMenu>
#include <QStringList>

class QAction;

class CWKRecentFilesMenu : public QMenu {
    Q_OBJECT
    Q_PROPERTY(int numFilesToDisplay READ numFilesToDisplay WRITE setNumFilesToDisplay)
public:
    CWKRecentFilesMenu(const QString& title, QWidget* parent = nullptr);
    ~CWKRecentFilesMenu() override;

    // Bounds what a damaged "RecentFilesToDisplay" can ask for.
    static constexpr int kiMaxFilesToDisplay = 64;

    QStringList files() const { return m_qslFiles; }

signals:
    void fileSelected(const QString& path);

public slots:
    int numFilesToDisplay() const { return m_iNumFilesToDisplay; }
    void setNumFilesToDisplay(int count);
    // The caller's string receives the cleaned, native form of the path.
    void sltAddFile(QString& path);
    void sltTriggered(bool checked);

private:
    void vRebuild();

    QStringList m_qslFiles;
    int m_iNumFilesToDisplay = 0;
    QList<QAction*> m_lstActions;
};
