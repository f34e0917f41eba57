#include "frmLayerProperties.h"

frmLayerProperties::frmLayerProperties()
    : QWidget(nullptr)
{
    setObjectName(QStringLiteral("frmLayerProperties"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}
