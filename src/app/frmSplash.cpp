#include "frmSplash.h"

#include "CWKCustomEvent.h"
#include "GUIApplication.h"
#include "ProductStrings.h"
#include "ProgramState.h"
#include "ResourceLoading.h"
#include "Settings.h"
#include "mainwindow/frmMain.h"
#include "velmor.h"

#include <QPushButton>
#include <QSettings>

frmSplash::frmSplash(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
    setupUi(this);
    init();
}

frmSplash::~frmSplash()
{
    if (g_pWelcomeDialog == this)
        g_pWelcomeDialog = nullptr;
}

void frmSplash::init()
{
    connect(chkbxShowNextTime, &QCheckBox::toggled, this, &frmSplash::chkbxShowNextTime_toggled);
    connect(btnStart, &QPushButton::clicked, this, &frmSplash::btnStart_clicked);
    connect(btnGuide, &QPushButton::clicked, this, &frmSplash::btnGuide_clicked);

    // The buttons sit on the light side of the splash picture, so the dialog keeps its own
    // dark-on-light palette whatever the application's palette is.
    const QPixmap picture = qpixGetResourcePixmap(qstrGetSplashFileName(qstrGetProduct()));
    QPalette palette;
    if (!picture.isNull())
        palette.setBrush(backgroundRole(), QBrush(picture));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    const auto buttons = findChildren<QPushButton*>();
    for (QPushButton* button : buttons)
        button->setPalette(palette);
    chkbxShowNextTime->setPalette(palette);

    chkbxShowNextTime->setChecked(pGetUserSettings()->value(QStringLiteral("ShowSplash"), true).toBool());
    setWindowTitle(tr("Welcome to ") + qstrGetApplicationTitle());
}

void frmSplash::chkbxShowNextTime_toggled(bool on)
{
    pGetUserSettings()->setValue(QStringLiteral("ShowSplash"), on);
}

void frmSplash::btnStart_clicked()
{
    close();
}

void frmSplash::btnGuide_clicked()
{
    frmMain* mainWindow = qobject_cast<frmMain*>(parentWidget());
    if (!mainWindow && g_pApplication)
        mainWindow = g_pApplication->pGetMainWindow();
    if (mainWindow)
        mainWindow->actHelp_activated();
}

void vPostWelcomeEvent(QApplication* application)
{
    if (!pGetUserSettings()->value(QStringLiteral("ShowSplash"), true).toBool())
        return;
    frmMain* mainWindow = nullptr;
    if (auto* app = qobject_cast<GUIApplication*>(application)) {
        mainWindow = app->pGetMainWindow();
    } else {
        // An application object of the toolkit's own class: its main window is the top-level one.
        const auto topLevels = QApplication::topLevelWidgets();
        for (QWidget* widget : topLevels) {
            if ((mainWindow = qobject_cast<frmMain*>(widget)))
                break;
        }
    }
    if (mainWindow)
        QCoreApplication::postEvent(mainWindow, new CWKCustomEvent(5003, 0));
}
