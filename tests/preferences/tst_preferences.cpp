#include "TestEnvironment.h"

#include "Murn.h"
#include "Vosk.h"
#include "app/ExternalPrograms.h"
#include "app/LogMessage.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "brandor.h"
#include "curves/KeyframeManager.h"
#include "mainwindow/frmMain.h"
#include "platform/DefaultFolders.h"
#include "preferences/frmPreferences.h"
#include "preferences/frmReportError.h"
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
#include <QTextEdit>
#include <cmath>
#include <limits>
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

QString qstrReadText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
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

    // What a user types and then cancels must reach no reader of the preferences: not the
    // controls, not the error report's log, not the display cache a project starts with.
    void cancelLeavesNoEditLive_data()
    {
        QTest::addColumn<QString>("closing");
        QTest::newRow("Cancel button") << "cancel";
        QTest::newRow("Escape key") << "escape";
        QTest::newRow("window closed") << "close";
    }

    void cancelLeavesNoEditLive()
    {
        QFETCH(QString, closing);
        const QString storedLog = m_dir.filePath(QStringLiteral("stored.log"));
        const QString typedLog = m_dir.filePath(QStringLiteral("typed.log"));
        QFile::remove(storedLog);
        QFile::remove(typedLog);
        {
            QFile typed(typedLog);
            QVERIFY(typed.open(QIODevice::WriteOnly));
            typed.write("Plintra: line of the cancelled file\n");
        }
        QSettings* settings = pGetUserSettings();
        settings->setValue(QStringLiteral("ErrorLogFile"), storedLog);
        settings->setValue(QStringLiteral("UseDisplayCache"), true);
        settings->setValue(QStringLiteral("MaxDisplayCacheSize"), 64);
        settings->setValue(QStringLiteral("WebBrowser"), QStringLiteral("/opt/stored-browser"));

        frmMain window;
        window.sltConfigureGUI();
        frmPreferences* preferences = window.pGetPreferences();
        QVERIFY(preferences);
        vLogMessage(QStringLiteral("line of the stored log"));

        bool edited = false;
        bool exposed = false;
        QTimer::singleShot(0, preferences, [&] {
            // Checked after exec(): a failure in here would leave the dialog open.
            exposed = QTest::qWaitForWindowExposed(preferences);
            preferences->tabwPreferences->setCurrentWidget(preferences->tabLogging);
            preferences->edtPreferencesLogFile->setFocus();
            preferences->edtPreferencesLogFile->selectAll();
            QTest::keyClicks(preferences->edtPreferencesLogFile, typedLog);
            preferences->tabwPreferences->setCurrentWidget(preferences->tabOutputSettings);
            // The page is laid out once it shows.
            QCoreApplication::processEvents();
            // No Return: in a dialog it presses OK.
            preferences->iedtPreferencesMaxDisplayCacheSize->selectAll();
            QTest::keyClicks(preferences->iedtPreferencesMaxDisplayCacheSize, QStringLiteral("999"));
            // On the box itself: the check box is wider than its caption.
            QTest::mouseClick(preferences->chkbxPreferencesUseDisplayCache, Qt::LeftButton, {},
                              QPoint(6, preferences->chkbxPreferencesUseDisplayCache->height() / 2));
            preferences->tabwPreferences->setCurrentWidget(preferences->tabHelpViewers);
            preferences->edtWebBrowserExecutable->selectAll();
            QTest::keyClicks(preferences->edtWebBrowserExecutable, QStringLiteral("/opt/typed-browser"));
            edited = preferences->edtPreferencesLogFile->text() == typedLog
                && !preferences->chkbxPreferencesUseDisplayCache->isChecked();
            if (closing == QLatin1String("cancel"))
                QTest::mouseClick(preferences->btnCancel, Qt::LeftButton);
            else if (closing == QLatin1String("escape"))
                QTest::keyClick(preferences, Qt::Key_Escape);
            else
                preferences->close();
        });
        QCOMPARE(preferences->exec(), int(QDialog::Rejected));
        QVERIFY(exposed);
        QVERIFY(edited);

        // The error report loads and would send the stored log.
        QCOMPARE(frmReportError::qstrGetLogFilePath(), storedLog);
        frmReportError report(&window);
        report.readLog();
        QVERIFY2(report.edtErrorLog->toPlainText().contains(QStringLiteral("line of the stored log")),
                 qPrintable(report.edtErrorLog->toPlainText()));
        QVERIFY(!report.edtErrorLog->toPlainText().contains(QStringLiteral("cancelled file")));

        // A project starting now sets its display cache up from the stored size.
        const QString frame = m_dir.filePath(QStringLiteral("frame.png"));
        QVERIFY(testenv::bWriteImage(frame, 32, 24));
        CW_BaseClipInfo base;
        base.uiWidth = 32;
        base.uiHeight = 24;
        CW_ClipInfo clip;
        clip.qstrFolder = m_dir.path();
        clip.qstrFileName = QStringLiteral("frame");
        clip.qstrThirdPart = QStringLiteral(".png");
        clip.iThirdNumber = -1;
        window.sltInitialisePreviewImage(&base, &clip);
        QCOMPARE(standin::testing::uiGetDisplayCacheCount(), 64u);

        // The controls are back at the stored values at once, not only at the next opening.
        QCOMPARE(preferences->edtPreferencesLogFile->text(), storedLog);
        QVERIFY(preferences->chkbxPreferencesUseDisplayCache->isChecked());
        QCOMPARE(preferences->iedtPreferencesMaxDisplayCacheSize->text(), QStringLiteral("64"));
        QVERIFY(preferences->iedtPreferencesMaxDisplayCacheSize->isEnabled());
        QCOMPARE(preferences->edtWebBrowserExecutable->text(), QStringLiteral("/opt/stored-browser"));

        QCOMPARE(settings->value(QStringLiteral("ErrorLogFile")).toString(), storedLog);
    }

    // A stored value its control cannot hold is never shown, used or written back: the
    // default takes its place in the control and in the store, and the log says so.
    void badStoredValueGivesTheDefault_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("restored");
        QTest::addColumn<QString>("afterOk");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        const QString huge(100000, QLatin1Char('7'));
        const QString hugePath = QStringLiteral("/") + QString(100000, QLatin1Char('a'));
        // Numbers out of range
        QTest::newRow("autosave interval 0") << "AutosaveInterval" << QVariant(0) << "iedtPreferencesAutosaveInterval"
                                             << "5" << "5" << "5";
        QTest::newRow("autosave interval 40000") << "AutosaveInterval" << QVariant(40000)
                                                 << "iedtPreferencesAutosaveInterval" << "5" << "5" << "5";
        QTest::newRow("frame rate 99") << "FrameRate" << QVariant(99) << "cbxPreferencesFrameRate" << "24" << "3"
            << "3";
        QTest::newRow("frame rate -1") << "FrameRate" << QVariant(-1) << "cbxPreferencesFrameRate" << "24" << "3"
            << "3";
        QTest::newRow("history -1") << "MaximumHistorySize" << QVariant(-1) << "iedtMaximumHistorySize" << "100"
                                    << "100" << "100";
        QTest::newRow("history 4294967295 as text") << "MaximumHistorySize" << QVariant(QStringLiteral("4294967295"))
                                                    << "iedtMaximumHistorySize" << "100" << "100" << "100";
        QTest::newRow("layouts 1") << "NumberOfLayouts" << QVariant(1) << "iedtNumLayouts" << "3" << "3" << "3";
        QTest::newRow("texture memory above 16384") << "MaxDisplayCacheSize" << QVariant(1000000)
                                                    << "iedtPreferencesMaxDisplayCacheSize" << "256" << "256" << "256";
        QTest::newRow("negative crop") << "CropLeft" << QVariant(-12) << "iedtPreferencesCropLeft" << "0" << "0" << "0";
        QTest::newRow("camera model 7") << "CameraModel" << QVariant(7) << "cboxPreferencesCameraModel"
                                        << "No Distortion" << "0" << "0";
        QTest::newRow("focal length 0") << "FocalLength" << QVariant(0.0) << "dedtPreferencesFocalLength" << "10"
                                        << "10" << "10";
        // Wrong types
        QTest::newRow("cache folder as a list")
            << "FileCacheFolder" << QVariant(QStringList{QStringLiteral("/tmp/a"), QStringLiteral("/tmp/b")})
            << "edtFileCacheDirectory" << "$DEFAULT" << "$DEFAULT" << "$DEFAULT";
        QTest::newRow("cache folder as bytes") << "FileCacheFolder" << QVariant(QByteArray("/tmp/bytes"))
                                               << "edtFileCacheDirectory" << "$DEFAULT" << "$DEFAULT" << "$DEFAULT";
        QTest::newRow("interval as a list") << "AutosaveInterval" << QVariant(QStringList{QStringLiteral("5")})
                                            << "iedtPreferencesAutosaveInterval" << "5" << "5" << "5";
        QTest::newRow("interval as a fraction") << "AutosaveInterval" << QVariant(2.5)
                                                << "iedtPreferencesAutosaveInterval" << "5" << "5" << "5";
        QTest::newRow("switch as a word") << "UseDisplayCache" << QVariant(QStringLiteral("banana"))
                                          << "chkbxPreferencesUseDisplayCache" << "true" << "true" << "true";
        QTest::newRow("switch as a rectangle") << "Interlaced" << QVariant(QRect(1, 2, 3, 4)) << "chkbxSeparateFields"
                                               << "false" << "false" << "false";
        QTest::newRow("frame rate as a switch") << "FrameRate" << QVariant(true) << "cbxPreferencesFrameRate" << "24"
                                                << "3" << "3";
        // Not finite
        QTest::newRow("weight NaN") << "DefaultXSplineWeight" << QVariant(nan) << "dedtXSplineDefaultWeight"
                                    << "0.25" << "0.25" << "0.25";
        QTest::newRow("focal length inf as text") << "FocalLength" << QVariant(QStringLiteral("inf"))
                                                  << "dedtPreferencesFocalLength" << "10" << "10" << "10";
        QTest::newRow("principal point -inf") << "PPointX" << QVariant(-inf)
                                              << "dedtPreferencesPrincipalPointPercentageX" << "50.00" << "50" << "50";
        QTest::newRow("custom PAR nan as text") << "DefaultCustomPAR" << QVariant(QStringLiteral("nan"))
                                                << "defaultCustomPARTextbox" << "1" << "1" << "1";
        // Empty
        QTest::newRow("interval empty") << "AutosaveInterval" << QVariant(QString())
                                        << "iedtPreferencesAutosaveInterval" << "5" << "5" << "5";
        QTest::newRow("cache folder empty") << "FileCacheFolder" << QVariant(QString()) << "edtFileCacheDirectory"
                                            << "$DEFAULT" << "$DEFAULT" << "$DEFAULT";
        QTest::newRow("log file empty") << "ErrorLogFile" << QVariant(QString()) << "edtPreferencesLogFile"
                                        << "$HOME/.corvane_log.txt" << "$HOME/.corvane_log.txt"
                                            << "$HOME/.corvane_log.txt";
        // Huge strings
        QTest::newRow("interval of 100000 digits") << "AutosaveInterval" << QVariant(huge)
                                                   << "iedtPreferencesAutosaveInterval" << "5" << "5" << "5";
        QTest::newRow("cache folder of 100000 characters") << "FileCacheFolder" << QVariant(hugePath)
                                                           << "edtFileCacheDirectory" << "$DEFAULT" << "$DEFAULT"
                                                               << "$DEFAULT";
        QTest::newRow("browser of 100000 characters")
            << "WebBrowser" << QVariant(hugePath) << "edtWebBrowserExecutable" << "$ASSOCIATED" << "" << "$ASSOCIATED";
        QTest::newRow("result format of 100000 characters") << "ResultClipFileFormat" << QVariant(huge)
                                                            << "cboxResultImageFileFormat" << "tif" << "TIF" << "tif";
        // Relative folders where a full path is meant
        QTest::newRow("relative cache folder") << "FileCacheFolder" << QVariant(QStringLiteral("cache-here"))
                                               << "edtFileCacheDirectory" << "$DEFAULT" << "$DEFAULT" << "$DEFAULT";
        QTest::newRow("relative absolute output folder")
            << "AbsoluteOutputDirectory" << QVariant(QStringLiteral("output-here")) << "edtOutputDirectory"
            << "$DEFAULT" << "$DEFAULT" << "$DEFAULT";
    }

    void badStoredValueGivesTheDefault()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QString, control);
        QFETCH(QString, shown);
        QFETCH(QString, restored);
        QFETCH(QString, afterOk);
        auto vExpand = [](QString text) {
            return text.replace(QStringLiteral("$DEFAULT"), qstrGetDefaultCacheFolder())
                .replace(QStringLiteral("$HOME"), QDir::homePath())
                .replace(QStringLiteral("$ASSOCIATED"), qstrGetAssociatedProgram(QStringLiteral(".html")));
        };
        // A relative folder would be looked for, and made, where the program runs.
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        auto restore = qScopeGuard([&] {
            QDir::setCurrent(previous);
            for (const QString& made : QDir::root().entryList({QStringLiteral("*-here")}, QDir::Dirs))
                QDir::root().rmdir(made);
        });
        const QString log = m_dir.filePath(QStringLiteral("settings.log"));
        QFile::remove(log);
        Vosk::Logger::instance()->startLogging(log.toStdString(), "Plintra", true);
        {
            // Written to the file and read back, as the program finds it at start-up.
            QSettings file;
            file.setValue(key, stored);
            if (key != QLatin1String("ErrorLogFile"))
                file.setValue(QStringLiteral("ErrorLogFile"), log);
            if (key == QLatin1String("AbsoluteOutputDirectory"))
                file.setValue(QStringLiteral("OutputDirectoryAbsolutePath"), true);
            file.sync();
        }
        vCreateSettings();

        testenv::ModalAnswerer answerer;
        {
            frmPreferences preferences;
            QWidget* widget = preferences.findChild<QWidget*>(control);
            QVERIFY(widget);
            QCOMPARE(qstrShownBy(widget), vExpand(shown));
            QCOMPARE(pGetUserSettings()->value(key).toString(), vExpand(restored));
            QVERIFY2(qstrReadText(log).contains(QStringLiteral("Setting \"%1\" held an unusable value").arg(key)),
                     qPrintable(qstrReadText(log).right(400)));

            // OK keeps the default: the bad value does not come back through the control.
            preferences.btnPreferencesOK->click();
            QCOMPARE(preferences.result(), int(QDialog::Accepted));
            QCOMPARE(pGetUserSettings()->value(key).toString(), vExpand(afterOk));
        }
        QVERIFY(answerer.boxes().isEmpty());
        // Nothing was made where the program runs, nor at the root.
        QVERIFY(QDir(m_dir.path()).entryList({QStringLiteral("*-here")}, QDir::Dirs).isEmpty());
        QVERIFY(QDir::root().entryList({QStringLiteral("*-here")}, QDir::Dirs).isEmpty());
    }

    // The auto-save timer is armed with what the settings say: a bad interval arms the
    // default five minutes, never a timer that runs all the time.
    void badAutosaveIntervalArmsTheDefault_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("0") << QVariant(0);
        QTest::newRow("40000, beyond the milliseconds an int holds") << QVariant(40000);
        QTest::newRow("-3") << QVariant(-3);
        QTest::newRow("not a number") << QVariant(QStringLiteral("soon"));
        QTest::newRow("60, the largest") << QVariant(60);
    }

    void badAutosaveIntervalArmsTheDefault()
    {
        QFETCH(QVariant, stored);
        frmPreferences preferences;
        pGetUserSettings()->setValue(QStringLiteral("AutosaveInterval"), stored);
        QSignalSpy armed(&preferences, &frmPreferences::autosaveChanged);
        preferences.sltStoreRestoreSettings(false, true);
        QCOMPARE(armed.size(), 1);
        const int expected = stored == QVariant(60) ? 60 * 60000 : 5 * 60000;
        QCOMPARE(armed.first().at(1).toInt(), expected);
        QCOMPARE(frmPreferences::iGetAutosaveIntervalMinutes(), expected / 60000);
        // The main window reads the key itself when a project opens: it holds the default now.
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("AutosaveInterval")).toInt(), expected / 60000);
    }

    // Text a numeric field cannot hold (typed without Return, or left by a bad restore) is
    // not stored: its default is.
    void fieldTextOutOfRangeStoresTheDefault_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::newRow("autosave interval 0") << "iedtPreferencesAutosaveInterval" << "AutosaveInterval" << "0" << "5";
        QTest::newRow("texture memory 99999") << "iedtPreferencesMaxDisplayCacheSize" << "MaxDisplayCacheSize"
                                              << "99999" << "256";
        QTest::newRow("focal length 0.5") << "dedtPreferencesFocalLength" << "FocalLength" << "0.5" << "10";
        QTest::newRow("custom PAR empty") << "defaultCustomPARTextbox" << "DefaultCustomPAR" << "" << "1";
        QTest::newRow("history 5") << "iedtMaximumHistorySize" << "MaximumHistorySize" << "5" << "100";
        // Stored at once when it changes, so a bad number stores nothing at all.
        QTest::newRow("layouts 11") << "iedtNumLayouts" << "NumberOfLayouts" << "11" << "";
    }

    void fieldTextOutOfRangeStoresTheDefault()
    {
        QFETCH(QString, control);
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(QString, stored);
        frmPreferences preferences;
        auto* field = preferences.findChild<QLineEdit*>(control);
        QVERIFY(field);
        field->setText(text);
        preferences.btnPreferencesOK->click();
        QCOMPARE(pGetUserSettings()->value(key).toString(), stored);
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
