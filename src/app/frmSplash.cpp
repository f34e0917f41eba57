#include "frmSplash.h"

#include "CWKCustomEvent.h"
#include "GUIApplication.h"
#include "Settings.h"
#include "mainwindow/frmMain.h"

#include <QSettings>

void vPostWelcomeEvent(QApplication* application)
{
    if (!pGetUserSettings()->value(QStringLiteral("ShowSplash"), true).toBool())
        return;
    auto* app = qobject_cast<GUIApplication*>(application);
    if (app && app->pGetMainWindow())
        QCoreApplication::postEvent(app->pGetMainWindow(), new CWKCustomEvent(5003, 0));
}
