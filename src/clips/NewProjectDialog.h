// The dialog that creates a project from a clip, or imports a further clip into it.
#pragma once

#include "cwbase.h"
#include "ui_NewProjectDialog.h"

#include <QDialog>

class NewProjectDialog : public QDialog, public Ui_NewProjectDialog {
    Q_OBJECT
public:
    // Mode 0 creates a project; any other mode imports a clip.
    NewProjectDialog(QWidget* parent, int mode);
    ~NewProjectDialog() override;

    bool bIsImportMode() const { return m_iMode != 0; }
    // Sets the clip; an empty path clears the dialog.
    void setClipPath(const QString& path);
    // Selects the clip in the parent-clip choice; a clip that is not listed clears the
    // selection.
    void vSetCurrentClipID(CW_CLIP_ID clip);
    void vSetClipComboEnabled(bool enabled);
    bool bCacheOriginalClip() const;

    const CW_ClipInfo& stctGetClipInfo() const { return m_stctClipInfo; }
    const CW_BaseClipInfo& stctGetBaseClipInfo() const { return m_stctBaseClipInfo; }

    // The project name and engine clip name of a clip base name.
    static QString qstrDefaultProjectName(const QString& baseName);
    static QString qstrEngineClipName(const QString& baseName);
    // Time-code text ("hh:mm:ss:ff", parts may be empty) as a frame number at the rate.
    static int iTimecodeTextToFrame(const QString& text, float frameRate);

    // Writes the controls' values into the two clip descriptions.
    void vGatherSettings();
    // The project file the dialog would create.
    QString qstrGetProjectFilePath() const;

private slots:
    void onChooseClip();
    void onChangeProjectDirectory();
    void onClipOrNameTextChanged();
    void onParComboChanged(int index);
    void onInterlaceModeChanged(const QString& text);
    void onColourspaceChanged(const QString& text);
    void onFrameOffsetTypeChanged(bool checked);
    void onFirstFrameChanged(const QString& text);
    void onLastFrameChanged(const QString& text);
    void onOK();
    void onCancel();

private:
    bool bCreateProject();
    void vImportClip();
    float fSelectedFrameRate() const;
    bool bSeparatedFields() const { return m_stctBaseClipInfo.iFieldMode == 1 || m_stctBaseClipInfo.iFieldMode == 2; }

    int m_iMode;
    CW_ClipInfo m_stctClipInfo;
    CW_BaseClipInfo m_stctBaseClipInfo;
    // The movie the dialog holds open; empty when none.
    QString m_qstrMoviePath;
    // The clip as probed: gathering always starts from these, so a second OK after a
    // failed creation does not halve a field height twice.
    unsigned int m_uiProbedHeight = 0;
    int m_iProbedFieldMode = 0;
    int m_iProbedFirstFrame = 0;
    int m_iProbedLastFrame = 0;
};
