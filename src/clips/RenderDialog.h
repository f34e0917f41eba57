// Export of a rendered clip or of rendered shapes.
#pragma once

#include "velmor.h"

#include <QDialog>

class QLabel;

class RenderDialog : public QDialog {
    Q_OBJECT
public:
    explicit RenderDialog(QWidget* parent = nullptr);

    // Mode 0 a rendered clip, 1 rendered shapes; the clip is the one shown in the viewer.
    void exportRenderedClip(CW_Instance project, CW_CLIP_ID clip, int mode);

private:
    CW_Instance m_pProject = nullptr;
};
