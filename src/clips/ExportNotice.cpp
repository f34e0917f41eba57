#include "ExportNotice.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

void vBuildExportNotice(QDialog* dialog, const QString& title, const QString& what)
{
    dialog->setWindowTitle(title);
    dialog->setModal(true);
    auto* layout = new QVBoxLayout(dialog);
    auto* label = new QLabel(QObject::tr("%1 cannot be exported in this version.").arg(what), dialog);
    label->setObjectName(QStringLiteral("label"));
    layout->addWidget(label);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
}
