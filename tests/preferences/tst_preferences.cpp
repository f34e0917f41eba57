#include "TestEnvironment.h"

#include "Murn.h"
#include "Vosk.h"
#include "app/LogMessage.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "brandor.h"
#include "curves/KeyframeManager.h"
#include "platform/DefaultFolders.h"
#include "preferences/frmPreferences.h"
#include "standin/testing.h"
#include "velmor.h"
#include "widgets/CWKLineEditInt.h"
#include "widgets/MurnSetter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <memory>

namespace {

QMap<QString, QVariant> mapAllSettings()
{
    QMap<QString, QVariant> all;
    QSettings* settings = pGetUserSettings();
    for (const QString& key : settings->allKeys())
        all.insert(key, settings->value(key));
    return all;
}

int iCountMarkers(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return int(file.readAll().count("(Plintra) Commenced logging"));
}

// Sets a control the way a user would leave it; the value's meaning depends on the kind.
void vSetControl(QWidget* control, const QString& value)
{
    if (auto* radio = qobject_cast<QRadioButton*>(control)) {
        radio->click();
    } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
        if (check->isChecked() != (value == QLatin1String("true")))
            check->click();
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setCurrentText(value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(value);
    }
}

// Types a number and presses Return, which is when the field reports a change.
void vTypeIntoField(QLineEdit* field, const QString& text)
{
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

QString qstrShownBy(QWidget* control)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->isChecked() ? QStringLiteral("true") : QStringLiteral("false");
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->currentText();
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    return QStringLiteral("<unknown control>");
}

} // namespace

class TstPreferences : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString qstrExpand(QString text) const { return text.replace(QStringLiteral("$DIR"), m_dir.path()); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void init()
    {
        testenv::vResetSettings();
        standin::testing::vReset();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        Vosk::Logger::instance()->Stop();
    }

    void tabsInOrder()
    {
        frmPreferences preferences;
        const QStringList expected = {QStringLiteral("tabOutputSettings:Output Settings"),
                                      QStringLiteral("tabSystem:System"),
                                      QStringLiteral("tabSoftwareUpdate:Software Update"),
                                      QStringLiteral("tabDefaultClipSettings:Clip"),
                                      QStringLiteral("tabDefaultCameraSettings:Lens"),
                                      QStringLiteral("tabLogging:Logging"),
                                      QStringLiteral("tabHelpViewers:Help Viewers"),
                                      QStringLiteral("tabKeyShortcuts:Key Shortcuts")};
        QStringList shown;
        for (int i = 0; i < preferences.tabwPreferences->count(); ++i)
            shown << preferences.tabwPreferences->widget(i)->objectName() + QLatin1Char(':')
                         + preferences.tabwPreferences->tabText(i);
        QCOMPARE(shown, expected);
        QCOMPARE(preferences.tabwPreferences->currentIndex(), 0);
    }

    void enablingRules_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("expected");
        QTest::newRow("display cache off") << "chkbxPreferencesUseDisplayCache" << false
                                           << "iedtPreferencesMaxDisplayCacheSize" << "enabled" << false;
        QTest::newRow("display cache on") << "chkbxPreferencesUseDisplayCache" << true
                                          << "iedtPreferencesMaxDisplayCacheSize" << "enabled" << true;
        QTest::newRow("logging off: log file") << "chkbxPreferencesEnableErrorLogging" << false
                                               << "edtPreferencesLogFile" << "enabled" << false;
        QTest::newRow("logging off: chooser") << "chkbxPreferencesEnableErrorLogging" << false
                                              << "btnOpenSetLogFileDialog" << "enabled" << true;
        QTest::newRow("fields off: upper") << "chkbxSeparateFields" << false << "rbtnUpperFieldFirst" << "enabled"
                                           << false;
        QTest::newRow("fields off: pulldown") << "chkbxSeparateFields" << false << "chkbx32Pulldown" << "enabled"
                                              << false;
        QTest::newRow("fields on: lower") << "chkbxSeparateFields" << true << "rbtnLowerFieldFirst" << "enabled"
                                          << true;
        QTest::newRow("fields on: pulldown") << "chkbxSeparateFields" << true << "chkbx32Pulldown" << "enabled"
                                             << true;
        QTest::newRow("relative: chooser") << "rbtnOutputDirectoryRelativePath" << true
                                           << "btnOpenOutputDirectoryDialog" << "enabled" << false;
        QTest::newRow("relative: free space") << "rbtnOutputDirectoryRelativePath" << true
                                              << "edtOutputDirectorySpaceAvailable" << "filled" << false;
        QTest::newRow("absolute: chooser") << "rbtnOutputDirectoryAbsolutePath" << true
                                           << "btnOpenOutputDirectoryDialog" << "enabled" << true;
        QTest::newRow("absolute: free space") << "rbtnOutputDirectoryAbsolutePath" << true
                                              << "edtOutputDirectorySpaceAvailable" << "filled" << true;
        QTest::newRow("float unchecks 8 bit") << "chkbxConvertPixelsToFloat" << true << "chkbxConvertPixelsTo8Bit"
                                              << "checked" << false;
        QTest::newRow("8 bit unchecks float") << "chkbxConvertPixelsTo8Bit" << true << "chkbxConvertPixelsToFloat"
                                              << "checked" << false;
        QTest::newRow("lower unchecks upper") << "rbtnLowerFieldFirst" << true << "rbtnUpperFieldFirst" << "checked"
                                              << false;
        QTest::newRow("window unchecks full screen") << "rbtnWindow" << true << "rbtnFullScreen" << "checked"
                                                     << false;
        QTest::newRow("display mode leaves controls alone") << "rbtnWindow" << true << "rbtnUseRotationalControls"
                                                            << "checked" << true;
        QTest::newRow("no video board") << "" << true << "chkbxPreferencesEnableCentaurus" << "enabled" << false;
    }

    void enablingRules()
    {
        QFETCH(QString, trigger);
        QFETCH(bool, on);
        QFETCH(QString, control);
        QFETCH(QString, state);
        QFETCH(bool, expected);
        frmPreferences preferences;
        // Start from the opposite state so that the trigger really changes something.
        preferences.chkbxSeparateFields->click();
        preferences.chkbxConvertPixelsTo8Bit->setChecked(true);
        preferences.chkbxConvertPixelsToFloat->setChecked(true);
        preferences.rbtnOutputDirectoryAbsolutePath->setChecked(trigger.endsWith(QLatin1String("RelativePath")));
        if (!trigger.isEmpty()) {
            auto* button = preferences.findChild<QAbstractButton*>(trigger);
            QVERIFY(button);
            // A check box starts opposite to where the click takes it.
            if (qobject_cast<QCheckBox*>(button))
                button->setChecked(!on);
            button->click();
        }
        QWidget* widget = preferences.findChild<QWidget*>(control);
        QVERIFY(widget);
        if (state == QLatin1String("enabled"))
            QCOMPARE(widget->isEnabled(), expected);
        else if (state == QLatin1String("checked"))
            QCOMPARE(qobject_cast<QAbstractButton*>(widget)->isChecked(), expected);
        else
            QCOMPARE(!qobject_cast<QLineEdit*>(widget)->text().isEmpty(), expected);
    }

    void restoredEnablingFollowsTheSettings()
    {
        pGetUserSettings()->setValue(QStringLiteral("UseDisplayCache"), false);
        pGetUserSettings()->setValue(QStringLiteral("EnableErrorLogging"), false);
        pGetUserSettings()->setValue(QStringLiteral("Interlaced"), true);
        frmPreferences preferences;
        QVERIFY(!preferences.iedtPreferencesMaxDisplayCacheSize->isEnabled());
        QVERIFY(!preferences.edtPreferencesLogFile->isEnabled());
        QVERIFY(preferences.rbtnUpperFieldFirst->isEnabled());
        QVERIFY(preferences.chkbx32Pulldown->isEnabled());
    }

    void changedControlSurvivesOk_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        // Output Settings
        QTest::newRow("cache folder") << "FileCacheFolder" << "edtFileCacheDirectory" << "$DIR" << "$DIR" << "$DIR";
        QTest::newRow("cache original") << "CacheOriginalClip" << "chkbxPreferencesCacheOriginalClip" << "true"
                                        << "true" << "true";
        QTest::newRow("display cache") << "UseDisplayCache" << "chkbxPreferencesUseDisplayCache" << "false"
                                       << "false" << "false";
        QTest::newRow("display cache size") << "MaxDisplayCacheSize" << "iedtPreferencesMaxDisplayCacheSize" << "512"
                                            << "512" << "512";
        QTest::newRow("reserved buffers") << "ForceAllocThreshold" << "iedtPreferencesReservedImageBuffers" << "20"
                                          << "20" << "20";
        QTest::newRow("absolute output") << "OutputDirectoryAbsolutePath" << "rbtnOutputDirectoryAbsolutePath"
                                         << "" << "true" << "true";
        QTest::newRow("relative output name") << "RelativeOutputDirectory" << "edtOutputDirectory" << "Renders"
                                              << "Renders" << "Renders";
        // System
        QTest::newRow("autosave") << "AutosaveEnabled" << "chkbxPreferencesEnableAutosave" << "false" << "false"
                                  << "false";
        QTest::newRow("autosave interval") << "AutosaveInterval" << "iedtPreferencesAutosaveInterval" << "12" << "12"
                                           << "12";
        QTest::newRow("save every frame") << "SaveImagesAfterRenderingSingleFrames"
                                          << "chkbxPreferencesSaveEveryRenderCurrent" << "true" << "true" << "true";
        QTest::newRow("full screen") << "FullScreen" << "rbtnFullScreen" << "" << "true" << "true";
        QTest::newRow("linear controls") << "UseRotationalControls" << "rbtnUseLinearControls" << "" << "false"
                                         << "true";
        QTest::newRow("invert wheel") << "InvertScrollWheel" << "chkbxInvertScrollWheel" << "false" << "false"
                                      << "false";
        QTest::newRow("layouts") << "NumberOfLayouts" << "iedtNumLayouts" << "5" << "5" << "5";
        QTest::newRow("history") << "MaximumHistorySize" << "iedtMaximumHistorySize" << "50" << "50" << "50";
        QTest::newRow("x-spline weight") << "DefaultXSplineWeight" << "dedtXSplineDefaultWeight" << "0.5" << "0.5"
                                         << "0.5";
        QTest::newRow("bezier length") << "DefaultBezierLength" << "dedtBezierDefaultLength" << "0.75" << "0.75"
                                       << "0.75";
        // Software Update
        QTest::newRow("automatic update") << "update/auto" << "chkbxAutoSoftwareUpdate" << "false" << "false"
                                          << "false";
        // Clip
        QTest::newRow("frame rate") << "FrameRate" << "cbxPreferencesFrameRate" << "25" << "4" << "25";
        QTest::newRow("custom PAR") << "DefaultCustomPAR" << "defaultCustomPARTextbox" << "1.5" << "1.5" << "1.5";
        QTest::newRow("time code") << "TimeCode" << "btnPreferencesTimeTimeCode" << "" << "true" << "true";
        QTest::newRow("frame offset") << "TimeOffset" << "iedtPreferencesTimeOffset" << "7" << "7" << "7";
        QTest::newRow("interlaced") << "Interlaced" << "chkbxSeparateFields" << "true" << "true" << "true";
        QTest::newRow("lower field first") << "ReverseFields" << "rbtnLowerFieldFirst" << "" << "true" << "true";
        QTest::newRow("log colour space") << "Colourspace" << "rbtnLogColorspace" << "" << "1" << "true";
        QTest::newRow("8 bit") << "ConvertPixelsTo8Bit" << "chkbxConvertPixelsTo8Bit" << "true" << "true" << "true";
        QTest::newRow("result format") << "ResultClipFileFormat" << "cboxResultImageFileFormat" << "dpx" << "dpx"
                                       << "dpx";
        QTest::newRow("crop left") << "CropLeft" << "iedtPreferencesCropLeft" << "12" << "12" << "12";
        // Lens
        QTest::newRow("camera model") << "CameraModel" << "cboxPreferencesCameraModel" << "Anamorphic" << "4"
                                      << "Anamorphic";
        QTest::newRow("principal point") << "PPointX" << "dedtPreferencesPrincipalPointPercentageX" << "40.00"
                                         << "40" << "40.00";
        QTest::newRow("distortion") << "DistortionK2" << "dedtPreferencesDistortionK2" << "0.125" << "0.125"
                                    << "0.125";
        QTest::newRow("focal length") << "FocalLength" << "dedtPreferencesFocalLength" << "35" << "35" << "35";
        // Logging
        QTest::newRow("log file") << "ErrorLogFile" << "edtPreferencesLogFile" << "$DIR/app.log" << "$DIR/app.log"
                                  << "$DIR/app.log";
        QTest::newRow("logging") << "EnableErrorLogging" << "chkbxPreferencesEnableErrorLogging" << "false"
                                 << "false" << "false";
        QTest::newRow("normal detection") << "CompErrorDetection" << "rbtnPreferencesNormalErrorDetection" << ""
                                          << "false" << "true";
        // Help Viewers
        QTest::newRow("browser") << "WebBrowser" << "edtWebBrowserExecutable" << "/opt/browser" << "/opt/browser"
                                 << "/opt/browser";
        QTest::newRow("pdf reader") << "PDFReader" << "edtAcrobatExecutable" << "/opt/reader" << "/opt/reader"
                                    << "/opt/reader";
        QTest::newRow("tutorial step") << "TutorialAutoStep" << "chkbxTutorialAutoStep" << "true" << "true"
                                       << "true";
    }

    void changedControlSurvivesOk()
    {
        QFETCH(QString, key);
        QFETCH(QString, control);
        QFETCH(QString, input);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        {
            frmPreferences preferences;
            QWidget* widget = preferences.findChild<QWidget*>(control);
            QVERIFY(widget);
            // The field order waits for separate fields, as it does for the user.
            if (!widget->isEnabled())
                preferences.chkbxSeparateFields->click();
            QVERIFY(widget->isEnabled());
            vSetControl(widget, qstrExpand(input));
            QCOMPARE(qstrShownBy(widget), qstrExpand(shown));
            preferences.btnPreferencesOK->click();
            QCOMPARE(preferences.result(), int(QDialog::Accepted));
        }
        QCOMPARE(pGetUserSettings()->value(key).toString(), qstrExpand(stored));
        frmPreferences reopened;
        QCOMPARE(qstrShownBy(reopened.findChild<QWidget*>(control)), qstrExpand(shown));
    }

    void cancelChangesNothing()
    {
        frmPreferences preferences;
        preferences.btnPreferencesOK->click();
        const QMap<QString, QVariant> before = mapAllSettings();
        preferences.edtWebBrowserExecutable->setText(QStringLiteral("/opt/cancelled"));
        preferences.chkbxPreferencesUseDisplayCache->setChecked(false);
        preferences.cboxResultImageFileFormat->setCurrentText(QStringLiteral("dpx"));
        preferences.edtPreferencesLogFile->setText(QStringLiteral("/tmp/cancelled.log"));
        preferences.btnCancel->click();
        QCOMPARE(preferences.result(), int(QDialog::Rejected));
        QCOMPARE(mapAllSettings(), before);

        // Opening again shows the settings, not the cancelled edits.
        QString browserWhileOpen;
        bool displayCacheWhileOpen = false;
        QTimer::singleShot(0, &preferences, [&] {
            browserWhileOpen = preferences.edtWebBrowserExecutable->text();
            displayCacheWhileOpen = preferences.chkbxPreferencesUseDisplayCache->isChecked();
            preferences.btnCancel->click();
        });
        preferences.exec();
        QCOMPARE(browserWhileOpen, pGetUserSettings()->value(QStringLiteral("WebBrowser")).toString());
        QVERIFY(browserWhileOpen != QLatin1String("/opt/cancelled"));
        QVERIFY(displayCacheWhileOpen);
        QCOMPARE(preferences.cboxResultImageFileFormat->currentText(), QStringLiteral("tif"));
        QCOMPARE(preferences.cboxResultImageFileFormat->count(), 2);
        QCOMPARE(mapAllSettings(), before);
    }

    void okWithMissingCacheFolderStaysOpen()
    {
        frmPreferences preferences;
        preferences.show();
        const QMap<QString, QVariant> before = mapAllSettings();
        preferences.edtFileCacheDirectory->setText(m_dir.path() + QStringLiteral("/missing/cache"));
        preferences.edtWebBrowserExecutable->setText(QStringLiteral("/opt/not-stored"));
        testenv::ModalAnswerer answerer;
        preferences.btnPreferencesOK->click();
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes().first().qstrTitle, QStringLiteral("Warning"));
        QCOMPARE(answerer.boxes().first().qstrText,
                 QStringLiteral("The specified file cache folder does not exist. Please correct the entry."));
        QVERIFY(preferences.isVisible());
        QCOMPARE(mapAllSettings(), before);
    }

    void defaultFoldersAreWritable()
    {
        frmPreferences preferences;
        const QString folder = qstrGetDefaultCacheFolder();
        QVERIFY(folder.endsWith(QLatin1String("/PnTemp")));
        QCOMPARE(preferences.edtFileCacheDirectory->text(), folder);
        // The restore made it, so a first OK is accepted.
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(QString::fromStdString(pGetMemoryManager(0)->strGetCacheFolder()), folder);
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("AbsoluteOutputDirectory")).toString(), folder);
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("RelativeOutputDirectory")).toString(),
                 QStringLiteral("Results"));
        QCOMPARE(frmPreferences::qstrGetDefaultTempDirectory(), folder);
        preferences.btnPreferencesOK->click();
        QCOMPARE(preferences.result(), int(QDialog::Accepted));
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("FileCacheFolder")).toString(), folder);
    }

    void untouchedBrightnessIsKept_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("slider");
        QTest::addColumn<double>("expected");
        QTest::newRow("default, untouched") << QVariant() << -1 << 1.0;
        QTest::newRow("0.9 stored, untouched") << QVariant(0.9) << -1 << 0.9;
        QTest::newRow("moved to 30") << QVariant(0.5) << 30 << 0.3;
    }

    void untouchedBrightnessIsKept()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, slider);
        QFETCH(double, expected);
        if (stored.isValid())
            pGetUserSettings()->setValue(QStringLiteral("UIBrightness"), stored);
        frmPreferences preferences;
        if (slider >= 0)
            preferences.uiBrightnessSlider->setValue(slider);
        preferences.btnPreferencesOK->click();
        preferences.btnPreferencesOK->click();
        QCOMPARE(qRound(pGetUserSettings()->value(QStringLiteral("UIBrightness"), 1.0).toDouble() * 100),
                 qRound(expected * 100));
    }

    void loggingStartsOnceStopsAndRestartsOnAnotherFile()
    {
        const QString first = m_dir.filePath(QStringLiteral("first.log"));
        const QString second = m_dir.filePath(QStringLiteral("second.log"));
        QFile::remove(first);
        QFile::remove(second);
        pGetUserSettings()->setValue(QStringLiteral("ErrorLogFile"), first);
        frmPreferences preferences;
        QCOMPARE(iCountMarkers(first), 1);
        preferences.btnPreferencesOK->click();
        preferences.btnPreferencesOK->click();
        QCOMPARE(iCountMarkers(first), 1);
        vLogMessage(QStringLiteral("written while on: é"));

        preferences.chkbxPreferencesEnableErrorLogging->setChecked(false);
        preferences.btnPreferencesOK->click();
        QVERIFY(!Vosk::Logger::instance()->bIsStarted());
        vLogMessage(QStringLiteral("written while off"));

        preferences.chkbxPreferencesEnableErrorLogging->setChecked(true);
        preferences.edtPreferencesLogFile->setText(second);
        preferences.btnPreferencesOK->click();
        QCOMPARE(iCountMarkers(second), 1);
        preferences.btnPreferencesOK->click();
        QCOMPARE(iCountMarkers(second), 1);

        QFile log(first);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY(text.contains(QStringLiteral("written while on: é")));
        QVERIFY(!text.contains(QStringLiteral("written while off")));
    }

    void okPushesIntoTheEngine()
    {
        CW_Instance project = standin::testing::pCreateProject();
        ProjectManagerInstance::instance()->setInstance(project);
        pGetUserSettings()->setValue(QStringLiteral("SelectedLayerColourRed"), 10);
        pGetUserSettings()->setValue(QStringLiteral("SelectedLayerColourGreen"), 20);
        pGetUserSettings()->setValue(QStringLiteral("SelectedLayerColourBlue"), 30);
        pGetUserSettings()->setValue(QStringLiteral("CompErrorDetection"), false);
        frmPreferences preferences;
        standin::testing::PushedSettings pushed = standin::testing::stctGetPushedSettings(project);
        QCOMPARE(qRound(pushed.aSelectionColours[CW_SELECTION_SELECTED_LAYER].g * 255), 20);
        QCOMPARE(qRound(pushed.aSelectionColours[CW_SELECTION_POINT].b * 255), 255);
        QCOMPARE(qRound(pushed.aSelectionColours[CW_SELECTION_RENDERED_LAYER].r * 255), 165);
        // "TIF" matches no item of the format list, so nothing is pushed at restore.
        QCOMPARE(pushed.strDefaultExtension, std::string());
        QVERIFY(!standin::testing::bGetFullErrorDetection());

        QSignalSpy autosave(&preferences, &frmPreferences::autosaveChanged);
        preferences.cboxResultImageFileFormat->setCurrentText(QStringLiteral("dpx"));
        preferences.iedtPreferencesReservedImageBuffers->setText(QStringLiteral("17"));
        preferences.dedtXSplineDefaultWeight->setText(QStringLiteral("0.4"));
        preferences.dedtBezierDefaultLength->setText(QStringLiteral("0.3"));
        preferences.rbtnPreferencesComprehensiveErrorDetection->setChecked(true);
        preferences.edtFileCacheDirectory->setText(m_dir.path());
        preferences.iedtPreferencesAutosaveInterval->setText(QStringLiteral("3"));
        preferences.btnPreferencesOK->click();

        pushed = standin::testing::stctGetPushedSettings(project);
        QCOMPARE(pushed.strDefaultExtension, std::string(".dpx"));
        QCOMPARE(pushed.uiForceAllocThreshold, 17u);
        QCOMPARE(pushed.dXSplineDefaultWeight, 0.4);
        QCOMPARE(pushed.dBezierDefaultLength, 0.3);
        QVERIFY(standin::testing::bGetFullErrorDetection());
        QCOMPARE(QString::fromStdString(pGetMemoryManager(0)->strGetCacheFolder()), m_dir.path());
        QCOMPARE(autosave.size(), 1);
        QCOMPARE(autosave.first().at(0).toBool(), true);
        QCOMPARE(autosave.first().at(1).toInt(), 3 * 60000);
    }

    void storedForceAllocThresholdIsRestored()
    {
        CW_Instance project = standin::testing::pCreateProject();
        ProjectManagerInstance::instance()->setInstance(project);
        pGetUserSettings()->setValue(QStringLiteral("ForceAllocThreshold"), 50);
        frmPreferences preferences;
        QCOMPARE(preferences.iedtPreferencesReservedImageBuffers->text(), QStringLiteral("50"));
        QCOMPARE(standin::testing::stctGetPushedSettings(project).uiForceAllocThreshold, 50u);
        preferences.btnPreferencesOK->click();
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("ForceAllocThreshold")).toUInt(), 50u);
    }

    void historySizeTenKeepsTenSteps()
    {
        CW_Instance project = standin::testing::pCreateProject();
        ProjectManagerInstance::instance()->setInstance(project);
        frmPreferences preferences;
        vTypeIntoField(preferences.iedtMaximumHistorySize, QStringLiteral("10"));
        // Acts at once, before any OK.
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("MaximumHistorySize")).toUInt(), 10u);
        QCOMPARE(uiGetMaximumHistorySize(project), 10u);
        for (int step = 1; step <= 11; ++step)
            standin::testing::vCommitUndoStep(project, "edit " + std::to_string(step));
        const std::vector<std::string> steps = standin::testing::vecGetUndoSteps(project);
        QCOMPARE(steps.size(), size_t(10));
        QCOMPARE(steps.front(), std::string("edit 2"));
        QCOMPARE(steps.back(), std::string("edit 11"));

        // A smaller bound drops the oldest steps at once.
        vTypeIntoField(preferences.iedtMaximumHistorySize, QStringLiteral("12"));
        QCOMPARE(uiGetMaximumHistorySize(project), 12u);
        QCOMPARE(standin::testing::vecGetUndoSteps(project).size(), size_t(10));
    }

    // Real edits through a bound field: the bound set with OK holds whether the edits came
    // before it, after it or on both sides.
    void historySizeBoundsRealEdits_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("eleven edits after OK") << 0 << 11;
        QTest::newRow("fifteen edits, then OK") << 15 << 0;
        QTest::newRow("edits on both sides") << 6 << 6;
    }

    void historySizeBoundsRealEdits()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        CW_Instance project = standin::testing::pCreateProject();
        CW_BaseClipInfo clip;
        clip.uiWidth = 64;
        clip.uiHeight = 48;
        clip.uiCount = 20;
        standin::testing::vRegisterClip(project, 1, clip);
        ProjectManagerInstance::instance()->setInstance(project);
        KeyframeManager::instance()->vSetAutokey(false);
        Murn::ParameterSet set(QStringLiteral("page"));
        auto* parameter = set.pAddNumeric<unsigned int>(QStringLiteral("count"), 0u, 0u, 1000u);
        QWidget window;
        auto* edit = new CWKLineEditInt(&window);
        edit->setText(QStringLiteral("0"));
        std::shared_ptr<MurnUpdater> updater = makeMurnUpdater<unsigned int>(edit, parameter, false);
        unsigned int value = 0;
        auto vEdit = [&] {
            ++value;
            edit->setText(QString::number(value));
            QMetaObject::invokeMethod(edit, "valueChanged");
        };

        for (int i = 0; i < before; ++i)
            vEdit();
        frmPreferences preferences;
        QCOMPARE(preferences.iedtMaximumHistorySize->text(), QStringLiteral("100"));
        vTypeIntoField(preferences.iedtMaximumHistorySize, QStringLiteral("10"));
        preferences.btnPreferencesOK->click();
        QVERIFY(!preferences.isVisible());
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("MaximumHistorySize")).toUInt(), 10u);
        for (int i = 0; i < after; ++i)
            vEdit();
        QCOMPARE(parameter->staticValue(), value);

        bool reRender = false;
        for (unsigned int step = 1; step <= 10; ++step) {
            QVERIFY(bUndo(project, reRender));
            QCOMPARE(parameter->staticValue(), value - step);
        }
        // The eleventh undo is refused and the oldest kept value stays.
        QVERIFY(!bCanUndo(project));
        QVERIFY(!bUndo(project, reRender));
        QCOMPARE(parameter->staticValue(), value - 10);
        for (unsigned int step = 1; step <= 10; ++step)
            QVERIFY(bRedo(project, reRender));
        QCOMPARE(parameter->staticValue(), value);
        QVERIFY(!bCanRedo(project));
        KeyframeManager::instance()->vSetAutokey(true);
    }

    void historySizeWithoutProjectIsOnlyStored()
    {
        frmPreferences preferences;
        vTypeIntoField(preferences.iedtMaximumHistorySize, QStringLiteral("25"));
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("MaximumHistorySize")).toUInt(), 25u);
        QCOMPARE(frmPreferences::iGetMaximumHistorySize(), 25);
    }

    void destroyStoresWithoutPushing()
    {
        CW_Instance project = standin::testing::pCreateProject();
        ProjectManagerInstance::instance()->setInstance(project);
        frmPreferences preferences;
        preferences.edtFileCacheDirectory->setText(m_dir.path());
        preferences.iedtPreferencesReservedImageBuffers->setText(QStringLiteral("9"));
        const std::string folderBefore = pGetMemoryManager(0)->strGetCacheFolder();
        preferences.destroy();
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("FileCacheFolder")).toString(), m_dir.path());
        QCOMPARE(pGetMemoryManager(0)->strGetCacheFolder(), folderBefore);
        QCOMPARE(standin::testing::stctGetPushedSettings(project).uiForceAllocThreshold, 0u);
        QCOMPARE(standin::testing::uiGetHardwareControllerReleases(), 1u);
    }
};

PLINTRA_TEST_MAIN(TstPreferences)
#include "tst_preferences.moc"
