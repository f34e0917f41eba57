#include "frmHistogramControls.h"

frmHistogramControls::frmHistogramControls()
    : QWidget(nullptr)
{
    setObjectName(QStringLiteral("frmHistogramControls"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}
