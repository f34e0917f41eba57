#include "CWKControlForm.h"

CWKControlForm::CWKControlForm(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
}
