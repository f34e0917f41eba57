#include "frmMain.h"

#include "app/ChoiceTables.h"
#include "app/MessageBoxes.h"
#include "app/ProductStrings.h"
#include "brandor.h"

#include <QCloseEvent>

frmMain::frmMain(QWidget* parent, Qt::WindowFlags flags) : QMainWindow(parent, flags)
{
    setupUi(this);
    init();
}

frmMain::~frmMain() = default;

void frmMain::init()
{
    connect(actFileExit, &QAction::triggered, this, &QWidget::close);
    pstctBRD_GetCallbackStruct()->pMainWindow = this;
}

void frmMain::sltConfigureGUI()
{
    vInitChoiceTables();
}

void frmMain::sltSetWidgetsState(int state)
{
    m_iWidgetsState = state;
}

void frmMain::vUpdateWindowTitle(CW_Instance, bool force)
{
    setWindowTitle(qstrGetApplicationTitle(force));
}

void frmMain::sltFileOpenProject(const QString& path)
{
    vShowInformation(this, tr("The project %1 cannot be opened: this version does not open projects yet.").arg(path));
}

void frmMain::sltFileNewProject(const QString& clipPath)
{
    vShowInformation(this,
                     tr("No project can be made from %1: this version does not create projects yet.").arg(clipPath));
}

void frmMain::sltAutoRecoverProject(const QString& path)
{
    vShowInformation(this, tr("The project %1 cannot be recovered: this version does not open projects yet.").arg(path));
}

void frmMain::sltStoreSettings()
{
}

void frmMain::closeEvent(QCloseEvent* e)
{
    e->accept();
}
