#include "frmOverlayColours.h"

frmOverlayColours::frmOverlayColours()
    : QWidget(nullptr)
{
    setObjectName(QStringLiteral("frmOverlayColours"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}
