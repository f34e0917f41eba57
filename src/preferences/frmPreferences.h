// The preferences dialog. Its static getters give the settings that the rest of the
// program needs, with their defaults.
#pragma once

#include "cwbase.h"

#include <QDialog>
#include <QString>

class frmPreferences : public QDialog {
    Q_OBJECT
public:
    explicit frmPreferences(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    static QString qstrGetDefaultTempDirectory();
    static double dGetDefaultXSplineWeight();
    static double dGetDefaultBezierLength();
    // Limited to the ten layouts the main window has.
    static int iGetNumberOfLayouts();
    static int iGetMaximumHistorySize();
    static QString qstrGetResultClipFileExtension();
    static unsigned int uiGetForceAllocThreshold();
    static CW_Color stctGetSelectedLayerColour();
    static CW_Color stctGetUnselectedLayerColour();
    static CW_Color stctGetRenderedLayerColour();
    static CW_Color stctGetPointColour();
    static CW_Color stctGetSwitchedOffPointColour();
    // In the engine's component order: point, selected, unselected, rendered, switched-off point.
    static void vGetOverlayColours(CW_Color out[5]);

    static constexpr int kMaximumLayouts = 10;
};
