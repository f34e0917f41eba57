#include "frmRenameLayout.h"

#include "app/Settings.h"
#include "frmMain.h"

#include <QPushButton>
#include <QSettings>

frmRenameLayout::frmRenameLayout(int index, QWidget* parent)
    : QDialog(parent)
    , m_iIndex(index)
{
    setupUi(this);
    setWindowModality(Qt::ApplicationModal);
    edtLayoutName->setText(frmMain::qstrGetLayoutName(index));
    connect(buttonBox, &QDialogButtonBox::accepted, this, &frmRenameLayout::accept);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(edtLayoutName, &QLineEdit::textChanged, this, &frmRenameLayout::vUpdateOkButton);
    vUpdateOkButton();
}

void frmRenameLayout::vUpdateOkButton()
{
    buttonBox->button(QDialogButtonBox::Ok)->setEnabled(!edtLayoutName->text().trimmed().isEmpty());
}

void frmRenameLayout::accept()
{
    const QString name = edtLayoutName->text().trimmed();
    if (name.isEmpty())
        return;
    QSettings* settings = pGetUserSettings();
    settings->beginWriteArray(QStringLiteral("LayoutNames"));
    settings->setArrayIndex(m_iIndex);
    settings->setValue(QStringLiteral("Name"), name);
    settings->endArray();
    QDialog::accept();
}
