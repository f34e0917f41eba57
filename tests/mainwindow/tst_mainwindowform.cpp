#include "TestEnvironment.h"

#include "app/ProgramState.h"
#include "app/ResourceLoading.h"
#include "curves/frmCurveEditor.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmProjectNotes.h"
#include "widgets/CWKControlForm.h"
#include "widgets/CWKRecentFilesMenu.h"
#include "widgets/GhostableButton.h"

#include <QDockWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>

namespace {

// One menu entry by object name; "|" is a separator and "recent" the recent-files menu.
QStringList qstrlMenuEntries(QMenu* menu)
{
    QStringList entries;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            entries << QStringLiteral("|");
        else if (action->menu() && qobject_cast<CWKRecentFilesMenu*>(action->menu()))
            entries << QStringLiteral("recent");
        else
            entries << action->objectName();
    }
    return entries;
}

QImage imgIcon(const QIcon& icon)
{
    return icon.pixmap(QSize(20, 20)).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TstMainWindowForm : public QObject {
    Q_OBJECT

    frmMain* m_pWindow = nullptr;
    // The form's own captions, before configuration puts the current page's word in them.
    QHash<QString, QString> m_hashFormTexts;
    QString m_qstrFormRenderTitle;

    QAction* pAction(const QString& name) const { return m_pWindow->findChild<QAction*>(name); }

private slots:
    void initTestCase()
    {
        m_pWindow = new frmMain();
        for (QAction* action : m_pWindow->findChildren<QAction*>())
            m_hashFormTexts.insert(action->objectName(), action->text());
        m_qstrFormRenderTitle = m_pWindow->MenuRender->title();
        m_pWindow->sltConfigureGUI();
    }

    void cleanupTestCase()
    {
        delete m_pWindow;
        QCOMPARE(g_pMainWindow, nullptr);
        QCOMPARE(g_pProjectNotes, nullptr);
    }

    void menusInTheirOrder()
    {
        QStringList titles;
        for (QAction* action : m_pWindow->menuBar()->actions())
            if (action->menu())
                titles << action->menu()->title();
        // The Render menu is named after the current page's work once configured.
        const QStringList expected = {QStringLiteral("&File"), QStringLiteral("Edit"),   QStringLiteral("Track"),
                                      QStringLiteral("&View"), QStringLiteral("&Movie"), QStringLiteral("&Tools"),
                                      QStringLiteral("&Help")};
        QCOMPARE(titles, expected);
        QCOMPARE(m_qstrFormRenderTitle, QStringLiteral("&Render"));
    }

    void menuEntries_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("entries");
        QTest::newRow("File") << "MenuFile"
                              << "actFileNewProject actFileOpenProject recent | actFileSave actFileSaveProjectAs "
                                 "actFileCloseProject | actFileSaveClip actExportRenderedShapes actImportLayers "
                                 "actSaveTrackingData actSaveOffsetTrackingData actSaveShapeData actSaveLayerData "
                                 "actSaveLensData actExportProjectData | actViewPreferences | actFileExit";
        QTest::newRow("Edit") << "MenuEdit"
                              << "actEditUndo actEditRedo | actUndoRenderThis actUndoRenderAll";
        QTest::newRow("Render") << "MenuRender"
                                << "actRenderThis actRenderForwards actRenderBackwards actRenderNext "
                                   "actRenderPrevious actStopRendering actPreview |";
        QTest::newRow("Movie") << "MenuMovie"
                               << "actLastFrame actPlayBackwards actPreviousFrame actPreviousKeyframe actPlayStop "
                                  "actNextFrame actNextKeyframe actPlayForwards actFirstFrame | actSetInPoint "
                                  "actSetOutPoint actResetInPoint actResetOutPoint actZoomToInOutPoints "
                                  "actZoomToFullFrameRange";
        QTest::newRow("Tools") << "MenuTools"
                               << "actPointerTool actInsertMode actPointModeBoth actPointModeInner actPointModeEdge "
                                  "actPointModeAny | | actPanTool actZoomTool actRotateTool actScaleTool "
                                  "actTranslateTool actAddXSplineLayerTool actAddXSplineContourTool "
                                  "actAddBezierLayerTool actAddBezierContourTool actSoftConstraintTool | "
                                  "actTangentsLockedMode";
        QTest::newRow("Help") << "MenuHelp"
                              << "actHelp actOfflineHelp actReleaseNotes | actLaunchForums actLaunchTutorials "
                                 "actGotoProductWebsite | actViewLog actReportError | actShowWelcomeScreen actAbout";
    }

    void menuEntries()
    {
        QFETCH(QString, menu);
        QFETCH(QString, entries);
        QMenu* found = m_pWindow->findChild<QMenu*>(menu);
        QVERIFY(found);
        QCOMPARE(qstrlMenuEntries(found), entries.split(QLatin1Char(' ')));
    }

    void viewMenuStartsWithTheFormsEntriesThenTheLayouts()
    {
        const QStringList entries = qstrlMenuEntries(m_pWindow->MenuView);
        const QStringList form = {QStringLiteral("actHideAllSelections"), QStringLiteral("|"),
                                  QStringLiteral("actZoomFit"),           QStringLiteral("actZoom100"),
                                  QStringLiteral("|"),                    QStringLiteral("actViewSetBackgroundColor"),
                                  QStringLiteral("|"),                    QStringLiteral("actViewerPreferences")};
        QCOMPARE(entries.mid(0, form.size()), form);
        const QList<QAction*> actions = m_pWindow->MenuView->actions();
        for (QToolBar* bar : m_pWindow->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(actions.contains(bar->toggleViewAction()), qPrintable(bar->objectName()));
        for (QDockWidget* dock : m_pWindow->findChildren<QDockWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(actions.contains(dock->toggleViewAction()), qPrintable(dock->objectName()));
        QVERIFY(actions.contains(m_pWindow->pGetLockLayoutAction()));
        QVERIFY(actions.contains(m_pWindow->pGetResetLayoutMenu()->menuAction()));
    }

    void toolBars_data()
    {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("entries");
        QTest::newRow("File") << "tbarFile"
                              << "File"
                              << "actFileNewProject actFileOpenProject actFileSave";
        QTest::newRow("Undo") << "tbarUndoRedo"
                              << "Undo/Redo"
                              << "actEditUndo actEditRedo";
        QTest::newRow("Tools") << "tbarTools"
                               << "Tools"
                               << "actPointerTool actPointModeBoth actPointModeInner actPointModeEdge "
                                  "actPointModeAny actInsertMode actPanTool actZoomTool actAddXSplineLayerTool "
                                  "actAddXSplineContourTool actAddBezierLayerTool actAddBezierContourTool "
                                  "actSoftConstraintTool actTangentsLockedMode actRotateTool actScaleTool "
                                  "actTranslateTool";
    }

    void toolBars()
    {
        QFETCH(QString, bar);
        QFETCH(QString, title);
        QFETCH(QString, entries);
        auto* found = m_pWindow->findChild<QToolBar*>(bar);
        QVERIFY(found);
        QCOMPARE(found->windowTitle(), title);
        QCOMPARE(m_pWindow->toolBarArea(found), Qt::TopToolBarArea);
        QCOMPARE(found->iconSize(), QSize(24, 24));
        QStringList names;
        for (QAction* action : found->actions())
            names << action->objectName();
        QCOMPARE(names, entries.split(QLatin1Char(' ')));
    }

    void statusToolBarHoldsTheStatusLine()
    {
        auto* status = m_pWindow->findChild<QToolBar*>(QStringLiteral("Status"));
        QVERIFY(status);
        QCOMPARE(m_pWindow->toolBarArea(status), Qt::TopToolBarArea);
        QStatusBar* bar = m_pWindow->pGetStatusBar();
        QVERIFY(status->isAncestorOf(bar));
        QVERIFY(!bar->isSizeGripEnabled());
        auto* label = bar->findChild<QLabel*>();
        auto* progress = bar->findChild<QProgressBar*>();
        QVERIFY(label && progress);
        QVERIFY(label->isHidden());
        QCOMPARE(progress->value(), 0);
        QVERIFY(progress->minimumWidth() >= 200);
        m_pWindow->vShowStatusMessage(QStringLiteral("Saving"));
        QCOMPARE(label->text(), QStringLiteral("Saving"));
        QVERIFY(!label->isHidden());
        m_pWindow->vHideStatusMessage();
        QVERIFY(label->isHidden());
    }

    // Title, shortcuts, check state, visibility and enabled state after configuration with no
    // project.
    void actions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shortcuts");
        QTest::addColumn<int>("check"); // -1 not checkable, 0 off, 1 on
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("enabled");
        // The form's caption where configuration replaces it.
        QTest::addColumn<QString>("formText");
        // A hidden action reports itself disabled, so its shortcut cannot fire.
        const auto row = [](const char* name, const char* text, const char* shortcuts, int check = -1,
                             bool visible = true, const char* formText = "", bool startsEnabled = true) {
            const bool enabled = visible && startsEnabled;
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(text)
                                << QString::fromLatin1(shortcuts) << check << visible << enabled
                                << QString::fromUtf8(formText);
        };
        row("actFileNewProject", "&New Project...", "Ctrl+N");
        row("actFileOpenProject", "&Open Project...", "Ctrl+O");
        row("actEditUndo", "Undo", "Ctrl+Z");
        row("actEditRedo", "Redo", "Ctrl+Shift+Z");
        row("actRenderThis", "Track Current Frame", ".", -1, true, "Render Current Frame");
        row("actRenderForwards", "Track Forwards", ">", -1, true, "Render Forwards", false);
        row("actRenderBackwards", "Track Backwards", "<", -1, true, "Render Backwards", false);
        row("actRenderNext", "Track To Next Frame", ";", -1, true, "Render to Next Frame", false);
        row("actRenderPrevious", "Track To Previous Frame", ":", -1, true, "Render to Previous Frame", false);
        row("actStopRendering", "Stop Tracking", "Esc Space", -1, true, "Stop Rendering", false);
        row("actToggleAutoUpdate", "Toggle Render on Parameter Change", "A");
        row("actUndoRenderThis", "Undo Track in Current Frame", "Ctrl+Alt+Z", -1, true, "Undo Render in Current Frame",
            false);
        row("actUndoRenderAll", "Undo Track in All Frames", "", -1, true, "Undo Render in All Frames", false);
        row("actPreview", "Preview On/Off", "P", -1, true, "", false);
        row("actFileSave", "&Save Project", "Ctrl+S");
        row("actHideAllSelections", "&Hide All Overlays", "F11", 1);
        row("actViewPreferences", "&Preferences...", "");
        row("actFileSaveClip", "Export &Rendered Clip...", "");
        row("actFileSaveProjectAs", "Save Project &As...", "Ctrl+Shift+S");
        row("actFileCloseProject", "Close Projec&t...", "");
        row("actFileExit", "E&xit", "Ctrl+Q");
        row("actFinishClosedContour", "&Finish closed Spline", "C");
        row("actFinishOpenContour", "&Finish open Spline", "Ctrl+C", -1, false);
        row("actSwitchPointsOff", "Switch Selected Point(s) Off", "Del");
        row("actSwitchPointsOn", "Switch Selected Point(s) On", "Ctrl+Ins");
        row("actDeletePoints", "&Delete Selected Point(s)", "Shift+Del");
        row("actSelectAllPoints", "&Select All", "Ctrl+A");
        row("actHelp", "&Online Help", "F1");
        row("actOfflineHelp", "Offline &Help", "");
        row("actReleaseNotes", "&Release Notes", "");
        row("actShowWelcomeScreen", "Show &Welcome Screen...", "");
        row("actAbout", "&About...", "");
        row("actNextFrame", "Next Frame", "Right");
        row("actNextKeyframe", "Next Keyframe", "Up");
        row("actPreviousFrame", "Previous Frame", "Left");
        row("actPreviousKeyframe", "Previous Keyframe", "Down");
        row("actFirstFrame", "First Frame", "Shift+Q");
        row("actLastFrame", "Last Frame", "Shift+W");
        row("actPlayForwards", "Play Forwards", "Space");
        row("actPlayBackwards", "Play Backwards", "");
        row("actPlayStop", "Stop", "Space");
        row("actSetInPoint", "Set In Point", "Shift+I");
        row("actSetOutPoint", "Set Out Point", "Shift+O");
        row("actResetInPoint", "Reset In Point", "");
        row("actResetOutPoint", "Reset Out Point", "");
        row("actZoomToInOutPoints", "Zoom to In/Out Points", "");
        row("actZoomToFullFrameRange", "Zoom to Full Frame Range", "");
        row("actZoom100", "Zoom 100%", "/");
        row("actZoomFit", "Zoom to Fit", "*");
        row("actGotoProductWebsite", "Plintra &Online...", "");
        row("actViewLog", "View &Log...", "");
        row("actHideAllControls", "Hide All Controls", "Alt+X", 0);
        row("actReportError", "Report an &Error...", "");
        row("actViewSetBackgroundColor", "Canvas Color...", "");
        row("actSaveTrackingData", "Export Trac&king Data...", "");
        row("actSaveOffsetTrackingData", "Export Offset Tracking Data...", "");
        row("actSaveLensData", "Export Lens Data...", "");
        row("actExportProjectData", "Export Project Data...", "");
        row("actLaunchForums", "View &Forums...", "");
        row("actSaveShapeData", "Export S&hape Data...", "");
        row("actSaveLayerData", "Export Layer Data...", "", -1, false);
        row("actImportLayers", "Import Layers...", "", -1, false);
        row("actShowModulePanel", "Module Panel", "", 0);
        row("actExportRenderedShapes", "Export R&endered Shapes...", "");
        row("actViewerPreferences", "Viewer Preferences", "");
        row("actViewInputAAlpha_None", "&Disable Alpha Channel", "", 1);
        row("actViewInputAAlpha_GarbageMatte", "&Garbage Matte", "", 0);
        row("actViewInputAAlpha_Matte", "&Matte", "", 0);
        row("actPointerTool", "&Picker", "Ctrl+F", 1);
        row("actInsertMode", "&Insert Points\tI", "", 0);
        row("actZoomTool", "Zoom\tZ", "", 0);
        row("actPanTool", "Pan\tX", "", 0);
        row("actRotateTool", "Rotate\tW", "", 0);
        row("actScaleTool", "Scale\tE", "", 0);
        row("actTranslateTool", "Translate\tQ", "", 0);
        row("actAddXSplineLayerTool", "&Create X-Spline Layer", "Ctrl+L", 0);
        row("actAddXSplineContourTool", "Add X-spline", "Ctrl+G", 0);
        row("actAddBezierLayerTool", "&Create Bezier Layer", "Ctrl+B", 0);
        row("actAddBezierContourTool", "Add Bezier Spline", "Ctrl+H", 0);
        row("actSoftConstraintTool", "&Attach Layers", "Ctrl+M", 0);
        row("actTangentsLockedMode", "Lock &Tangents Mode", "Ctrl+T", 1);
        row("actToolsInputSplitter", "Input Splitter", "", 0);
        row("actToolsTransformTool", "Transform Tool", "", 0);
        row("actPointModeBoth", "Pick Both", "Alt+B", 1);
        row("actPointModeEdge", "Pick Edge", "Alt+E", 0);
        row("actPointModeInner", "Pick Inner", "Alt+I", 0);
        row("actPointModeAny", "Pick Any", "Alt+A", 0);
        row("actLaunchTutorials", "&Tutorials...", "", -1, false);
    }

    void actions()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, shortcuts);
        QFETCH(int, check);
        QFETCH(bool, visible);
        QFETCH(bool, enabled);
        QFETCH(QString, formText);
        QAction* action = pAction(name);
        QVERIFY(action);
        QCOMPARE(action->text(), text);
        if (!formText.isEmpty())
            QCOMPARE(m_hashFormTexts.value(name), formText);
        QStringList keys;
        for (const QKeySequence& key : action->shortcuts())
            keys << key.toString();
        QCOMPARE(keys.join(QLatin1Char(' ')), shortcuts);
        QCOMPARE(action->isCheckable(), check >= 0);
        if (check >= 0)
            QCOMPARE(action->isChecked(), check == 1);
        QCOMPARE(action->isVisible(), visible);
        QCOMPARE(action->isEnabled(), enabled);
    }

    void actionGroups()
    {
        QVERIFY(m_pWindow->actgrpTools->isExclusive());
        QVERIFY(!m_pWindow->actgrpTools->actions().contains(m_pWindow->actTangentsLockedMode));
        QCOMPARE(m_pWindow->actgrpTools->actions().size(), 14);
        QCOMPARE(m_pWindow->actgrpPointMode->actions().size(), 4);
        QCOMPARE(m_pWindow->actddowngrpInputAAlpha->actions().size(), 3);
        // Choosing a tool unchecks the picker; tangent locking stays on.
        m_pWindow->actPanTool->trigger();
        QVERIFY(!m_pWindow->actPointerTool->isChecked());
        QVERIFY(m_pWindow->actTangentsLockedMode->isChecked());
        m_pWindow->actPointerTool->trigger();
        QVERIFY(!m_pWindow->actPanTool->isChecked());
    }

    void oneKeyToolsTable()
    {
        const QMap<QString, QAction*>& tools = m_pWindow->mapGetOneKeyTools();
        QCOMPARE(tools.value(QStringLiteral(" ")), m_pWindow->actPointerTool);
        QCOMPARE(tools.value(QStringLiteral("Z")), m_pWindow->actZoomTool);
        QCOMPARE(tools.size(), 7);
    }

    void setPointButtonsShowTheirOwnPictures()
    {
        const QImage in = imgIcon(qicnGetResourceIconSet(QStringLiteral("SetInPoint.png")));
        const QImage out = imgIcon(qicnGetResourceIconSet(QStringLiteral("SetOutPoint.png")));
        QVERIFY(!in.isNull());
        QVERIFY(in != out);
        QCOMPARE(imgIcon(m_pWindow->btnSetInPoint->icon()), in);
        QCOMPARE(imgIcon(m_pWindow->btnSetOutPoint->icon()), out);
        QCOMPARE(imgIcon(m_pWindow->actSetInPoint->icon()), in);
        QVERIFY(m_pWindow->btnSetInPoint->text().isEmpty());
    }

    void timeBarOrder()
    {
        QStringList names;
        for (int i = 0; i < m_pWindow->hboxLayout1->count(); ++i)
            if (QWidget* w = m_pWindow->hboxLayout1->itemAt(i)->widget())
                names << w->objectName();
        QCOMPARE(names, QStringList({QStringLiteral("tcedtInPointFrameFrame"), QStringLiteral("btnSetInPoint"),
                                     QStringLiteral("btnResetInPoint"), QStringLiteral("tcedtCurrentFrame"),
                                     QStringLiteral("btnResetOutPoint"), QStringLiteral("btnSetOutPoint"),
                                     QStringLiteral("tcedtOutPointFrameFrame"), QStringLiteral("btnZoomToInOutPoints"),
                                     QStringLiteral("btnZoomToFullFrameRange")}));
        QVERIFY(qobject_cast<GhostableButton*>(m_pWindow->btnRenderNext));
        QCOMPARE(m_pWindow->btnRenderThis->parentWidget(), m_pWindow->StopThisRender);
        QCOMPARE(m_pWindow->btnStopRendering->geometry(), m_pWindow->btnRenderThis->geometry());
        QVERIFY(m_pWindow->btnPreview->isHidden());
        QCOMPARE(m_pWindow->keyframeControlsWidget->size(), QSize(114, 20));
    }

    void moduleTabsInOrder()
    {
        QTabWidget* outer = m_pWindow->pGetOuterTabWidget();
        QVERIFY(outer);
        QCOMPARE(outer->tabPosition(), QTabWidget::West);
        QCOMPARE(outer->count(), 2);
        QCOMPARE(outer->tabText(0), QStringLiteral("Parameters"));
        QCOMPARE(outer->widget(0), m_pWindow->pGetModuleTabWidget());
        QCOMPARE(outer->tabText(1), QStringLiteral("Curve Editor"));
        QCOMPARE(outer->widget(1), static_cast<QWidget*>(g_pCurveEditor));
        QVERIFY(outer->isAncestorOf(m_pWindow->pGetModuleTabWidget()));
        QVERIFY(m_pWindow->pGetParametersDock()->isAncestorOf(outer));

        const QList<QPair<QString, int>> expected = {
            {"System", 0},        {"Clip", 1},        {"Lens", 3},         {"Track", 5},         {"AdjustTrack", 6},
            {"Insert", 15},       {"Patch", 16},      {"Remove", 7},       {"Matte", 9},         {"Warp", 17},
            {"Roto", 11},         {"Stabilize", 8},   {"Add Grain", 12},   {"Remove Grain", 13}, {"Match Grain", 14},
            {"Conceal", 18},      {"Colour", 19},     {"Closed Caption Text", 21},                {"Mark-Up", 20}};
        QTabWidget* tabs = m_pWindow->pGetModuleTabWidget();
        QCOMPARE(tabs->count(), int(expected.size()));
        for (int i = 0; i < tabs->count(); ++i) {
            auto* page = qobject_cast<CWKControlForm*>(tabs->widget(i));
            QVERIFY2(page, qPrintable(tabs->tabText(i)));
            QCOMPARE(tabs->tabText(i), expected.at(i).first);
            QCOMPARE(int(page->eGetModule()), expected.at(i).second);
            QVERIFY(page->autoFillBackground());
        }
    }

    void firstLayerPageIsCurrent()
    {
        QTabWidget* tabs = m_pWindow->pGetModuleTabWidget();
        CWKControlForm* first = nullptr;
        for (int i = 0; i < tabs->count() && !first; ++i) {
            auto* page = qobject_cast<CWKControlForm*>(tabs->widget(i));
            if (page->bSupportsLayerDisplay())
                first = page;
        }
        QVERIFY(first);
        QCOMPARE(m_pWindow->pGetFirstLayerPage(), first);
        QCOMPARE(tabs->currentWidget(), static_cast<QWidget*>(first));
    }

    void docks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("panelClass");
        QTest::addColumn<int>("area");
        QTest::newRow("parameters") << "dwdgtParameters"
                                    << "Parameters"
                                    << "QFrame" << int(Qt::BottomDockWidgetArea);
        QTest::newRow("layer controls, side key in the features")
            << "dwdgtLayerControls"
            << "Layer Controls"
            << "frmLayerControls" << int(Qt::LeftDockWidgetArea);
        QTest::newRow("histogram, side key missing")
            << "dwdgtHistogramControls"
            << "Histogram Controls"
            << "frmHistogramControls" << int(Qt::RightDockWidgetArea);
        QTest::newRow("layer properties") << "dwdgtLayerProperties"
                                          << "Layer Properties"
                                          << "frmLayerProperties" << int(Qt::RightDockWidgetArea);
        QTest::newRow("edge properties") << "dwdgtEdgeProperties"
                                         << "Edge Properties"
                                         << "frmEdgeProperties" << int(Qt::RightDockWidgetArea);
        QTest::newRow("overlay colours") << "dwdgtOverlayColours"
                                         << "Overlay Colours"
                                         << "frmOverlayColours" << int(Qt::RightDockWidgetArea);
        QTest::newRow("proxy clips always right") << "dwdgtProxyControls"
                                                  << "Proxy Clips"
                                                  << "frmProxyControls" << int(Qt::RightDockWidgetArea);
        QTest::newRow("keyframe controls always left") << "dwdgtKeyframeControls"
                                                       << "Keyframe Controls"
                                                       << "frmKeyframeControls" << int(Qt::LeftDockWidgetArea);
    }

    void docks()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, panelClass);
        QFETCH(int, area);
        auto* dock = m_pWindow->findChild<QDockWidget*>(name);
        QVERIFY(dock);
        QCOMPARE(dock->windowTitle(), title);
        QVERIFY(dock->widget());
        QCOMPARE(QString::fromLatin1(dock->widget()->metaObject()->className()), panelClass);
        QCOMPARE(int(m_pWindow->dockWidgetArea(dock)), area);
    }

    void projectNotesDockIsMadeOnce()
    {
        QVERIFY(g_pProjectNotes);
        QCOMPARE(g_pProjectNotes->objectName(), QStringLiteral("spfrmProjectNotes"));
        QCOMPARE(static_cast<QWidget*>(g_pProjectNotes)->parent(), static_cast<QObject*>(m_pWindow));
        QVERIFY(g_pProjectNotes->isHidden());
        auto* notes = g_pProjectNotes;
        frmMain second;
        QCOMPARE(g_pProjectNotes, notes);
        QCOMPARE(second.findChild<QDockWidget*>(QStringLiteral("spfrmProjectNotes")), nullptr);
    }

    void recentFilesMenuTakesTheThirdPlace()
    {
        const QList<QAction*> entries = m_pWindow->MenuFile->actions();
        QVERIFY(qobject_cast<CWKRecentFilesMenu*>(entries.at(2)->menu()));
        QCOMPARE(entries.at(2)->menu()->title(), QStringLiteral("Recent &Files..."));
        QVERIFY(!entries.contains(m_pWindow->actFileRecentFiles));
    }

    void reportErrorActionOpensTheReport()
    {
        testenv::ModalAnswerer answerer;
        m_pWindow->actReportError->trigger();
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes().first().qstrClass, QStringLiteral("frmReportError"));
    }

    void windowTitleBeforeTheFirstUpdate()
    {
        frmMain fresh;
        QCOMPARE(fresh.windowTitle(), QStringLiteral("Corvane Works Ltd"));
        QCOMPARE(fresh.objectName(), QStringLiteral("frmMain"));
    }
};

PLINTRA_TEST_MAIN(TstMainWindowForm)
#include "tst_mainwindowform.moc"
