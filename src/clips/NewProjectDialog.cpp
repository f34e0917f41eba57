#include "NewProjectDialog.h"

#include <QPushButton>

NewProjectDialog::NewProjectDialog(QWidget* parent, int mode) : QDialog(parent), m_iMode(mode)
{
    setupUi(this);
    if (bIsImportMode()) {
        setWindowTitle(tr("Import Clip"));
        buttonBox->button(QDialogButtonBox::Ok)->setText(tr("Import"));
    } else {
        setWindowTitle(tr("New Project"));
    }
    connect(buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(clipTextbox, &QLineEdit::textChanged, this, &NewProjectDialog::vUpdateOkButton);
    vUpdateOkButton();
}

void NewProjectDialog::vSetCurrentClipID(CW_CLIP_ID clip)
{
    for (int index = parentClipCombo->count() - 1; index >= 0; --index) {
        if (parentClipCombo->itemData(index).toUInt() == clip) {
            parentClipCombo->setCurrentIndex(index);
            return;
        }
    }
    parentClipCombo->setCurrentIndex(-1);
}

void NewProjectDialog::vSetClipComboEnabled(bool enabled)
{
    parentClipCombo->setEnabled(enabled);
}

void NewProjectDialog::vUpdateOkButton()
{
    // Nothing can be created or imported before a clip is chosen.
    buttonBox->button(QDialogButtonBox::Ok)->setEnabled(!clipTextbox->text().isEmpty());
}
