// A clip made of a few chosen images, each standing for one frame of a source clip (clean
// plates, luminance references). With an empty name prefix OK gives the rows to the source
// clip itself; with a prefix it registers a new clip derived from the source clip.
#pragma once

#include "cwbase.h"
#include "ui_frmSparseClip.h"

#include <QDialog>
#include <QStringList>

struct Tam_List;
class QTableWidgetItem;

class frmSparseClip : public QDialog, public Ui::frmSparseClip {
    Q_OBJECT
public:
    explicit frmSparseClip(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());

    CW_CLIP_ID eGetSourceClipID() const { return m_eSourceClip; }
    // The clip the last OK gave the frames to; 0 before the first OK.
    CW_CLIP_ID eGetResultClipID() const { return m_eResultClip; }
    QString qstrGetNamePrefix() const { return m_qstrNamePrefix; }

    // A list of records made from a clip description's discrete frames, for the four-argument
    // fill; and freeing such a list with its records (the pointer is cleared).
    static Tam_List* pglNewFrameList(const CW_ClipInfo& clip);
    static void vFreeFrameList(Tam_List*& list);

public slots:
    void vAddFramesToTable(CW_Instance project, Tam_List* frames, QString namePrefix, CW_CLIP_ID sourceClip);
    void vAddFramesToTable(CW_Instance project, QStringList files);
    // Replaces *list (its records deleted) by one record per row; throws CW_Exception when a
    // row's path does not fit a record.
    void vAddFramesToList(CW_Instance project, Tam_List** list, bool* allFrames);
    void vShowPreviewForRow(int row);
    void vMakeFrameCurrentForRow(int row);

    void buttonOk_clicked();
    void buttonCancel_clicked();
    void buttonHelp_clicked();
    void btnAddFramesFromDisk_clicked();
    void btnAddFramesFromqXMLNet_clicked();
    void btnPreview_toggled(bool on);
    void tblFrames_itemSelectionChanged();
    void sltItemPressed(QTableWidgetItem* item);
    // Closing the window drops the preview images as Cancel does.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The last row, searching upwards, with a selected cell; -1 for none or several.
    int iSingleSelectedRow() const;
    void vPreviewSelection();
    void vDropPreview();
    void vSetRow(int row, const QString& path, const QString& frame);

    CW_CLIP_ID m_eSourceClip = 0;
    CW_CLIP_ID m_eResultClip = 0;
    QString m_qstrNamePrefix;
};
