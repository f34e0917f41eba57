#include "frmLayerControls.h"

frmLayerControls::frmLayerControls()
    : QWidget(nullptr)
{
    setObjectName(QStringLiteral("frmLayerControls"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}
