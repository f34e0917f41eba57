#include "frmEdgeProperties.h"

frmEdgeProperties::frmEdgeProperties()
    : QWidget(nullptr)
{
    setObjectName(QStringLiteral("frmEdgeProperties"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}
