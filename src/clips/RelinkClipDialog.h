// Points a clip of the project at other media, or opens a project whose media went
// missing from media the user finds.
#pragma once

#include "cwbase.h"
#include "ui_RelinkClipDialog.h"

#include <QByteArray>
#include <QDialog>

class RelinkClipDialog : public QDialog, public Ui_RelinkClipDialog {
    Q_OBJECT
public:
    RelinkClipDialog(QWidget* parent, const QString& titleSuffix, bool modal, Qt::WindowFlags flags);

    void init();
    // A clip of the open project.
    void setClip(CW_CLIP_ID clip);
    // Project-open mode: the main clip as the project file records it, and the file.
    void setClipInfo(const CW_BaseClipInfo& base, const CW_ClipInfo& clip);
    void setProjectData(const QByteArray& bytes);

    const CW_BaseClipInfo& workingBaseInfo() const { return m_workBase; }
    const CW_ClipInfo& workingClipInfo() const { return m_workClip; }

public slots:
    void on_chooseClipButton_clicked();
    void on_quantelButton_clicked();
    void on_clipTextBox_editingFinished();
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();
    void destroy();
    // Cancel and closing the window: a project this dialog closed for its reopen comes back.
    void reject() override;

private:
    bool applyClipInfo(CW_BaseClipInfo base, CW_ClipInfo clip, QString& error);
    void updateFields();
    void checkpointProject();
    // False with the reason when the engine cannot open the buffer with the description.
    bool reopenProject(const CW_BaseClipInfo& base, const CW_ClipInfo& clip, QString& error);
    // After a failed reopen: the checkpoint again with the clip as it was. False when that
    // fails too; the buffer is then kept.
    bool bRestoreCheckpoint(QString& error);
    void vCloseInspectedMedia();
    void vFocusOk();

    CW_CLIP_ID m_clip = 0;
    CW_BaseClipInfo m_workBase;
    CW_ClipInfo m_workClip;
    CW_BaseClipInfo m_initBase;
    CW_ClipInfo m_initClip;
    QString m_qstrInspected;
    bool m_bStateFlag = false;
    QByteArray m_baProject;
    QString m_qstrProjectPath;
    // The buffer came from a project file rather than a checkpoint of the open project.
    bool m_bOpenMode = false;
};

// The engine's name of a clip made from a file-name prefix.
QString clipNameFromPrefix(const QString& prefix);

// The engine could not find a file of the clip: asks whether to relink it and runs the
// relink dialog on the main window when the user agrees.
void vOfferRelinkOfMissingClip(QWidget* mainWindow, CW_CLIP_ID clip);
