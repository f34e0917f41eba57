#include "frmKeyframeControls.h"

frmKeyframeControls::frmKeyframeControls()
    : QWidget(nullptr)
{
    setObjectName(QStringLiteral("frmKeyframeControls"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}
