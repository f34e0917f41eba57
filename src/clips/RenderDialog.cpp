#include "RenderDialog.h"

#include "ExportNotice.h"

#include <QLabel>
#include <QMessageBox>

RenderDialog::RenderDialog(QWidget* parent)
    : QDialog(parent)
{
    vBuildExportNotice(this, tr("Export Rendered Clip"), tr("Rendered clips"));
}

void RenderDialog::exportRenderedClip(CW_Instance project, CW_CLIP_ID, int mode)
{
    m_pProject = project;
    setWindowTitle(mode == 1 ? tr("Export Rendered Shapes") : tr("Export Rendered Clip"));
    if (auto* label = findChild<QLabel*>(QStringLiteral("label")))
        label->setText(
            tr("%1 cannot be exported in this version.").arg(mode == 1 ? tr("Rendered shapes") : tr("Rendered clips")));
    // Only clips the project rendered can be exported; the source clips are the user's own.
    bool rendered = false;
    for (const CW_CLIP_ID id : pglGetClipList(project)) {
        const CW_ClipInfo* info = pcstctGetClipInfo(project, id);
        rendered = rendered || (info && !info->bSourceClip);
    }
    if (!rendered) {
        QMessageBox::information(this, QStringLiteral("Cannot export"),
            QStringLiteral("No rendered clips available for export."), QMessageBox::Ok);
        return;
    }
    exec();
}
