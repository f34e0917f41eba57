// Export of a rendered clip or of rendered shapes: the dialog fills the program-wide export
// record, the engine checks it, and the foreground worker has the engine write it.
#pragma once

#include "ui_RenderDialog.h"
#include "velmor.h"

#include <QDialog>

class QLineEdit;

// The one export record, read by the engine on the worker.
extern CW_ExportClipInfo g_exportClipInfo;

// The worker's step: writes the record's frames.
CW_BOOL bSaveExportClip(CW_Instance project);

class RenderDialog : public QDialog, public Ui_RenderDialog {
    Q_OBJECT
public:
    explicit RenderDialog(QWidget* parent = nullptr);

    // Shapes mode writes mattes of layers; otherwise the clip. Runs modally.
    void exportRenderedClip(CW_Instance project, CW_CLIP_ID clip, bool shapes);

    // The line edit's path without surrounding blanks and quotes, with "/" separators.
    static QString qstrCleanPathFromLineEdit(const QLineEdit* edit);

public slots:
    void onClipChanged(int index);
    void validateInputForRenderType();
    void onExportTypeChanged();
    void onChooseSequenceDirectory();
    void onChooseQuickTimeFile();
    void onAccept();

private:
    void init();
    void initFrameRange();
    void initRenderOptions(const CW_BaseClipInfo& base, const CW_ClipInfo& clip);
    void initSaveChannels(const CW_ClipInfo& clip);
    void initMatteOptions();
    void initIndexFields(const CW_ClipInfo& clip);
    void selectFileFormatOfClip(const CW_ClipInfo& clip);
    void storeImageFormat(const CW_ClipInfo& clip);
    void storeMatteLayers();
    void storeFrameRange();
    void storeOutputNaming();
    void storeExportSettings();
    // The frame range's divisor: 2 when the main clip's positions count fields.
    unsigned int uiFieldDivisor() const;

    CW_Instance m_pProject = nullptr;
};
