#include "frmProxyControls.h"

frmProxyControls::frmProxyControls()
    : QWidget(nullptr)
{
    setObjectName(QStringLiteral("frmProxyControls"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}
