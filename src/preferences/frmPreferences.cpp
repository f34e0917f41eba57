#include "frmPreferences.h"

#include "app/Settings.h"

#include <QDir>
#include <QSettings>
#include <algorithm>

namespace {

QVariant varSetting(const char* key, const QVariant& fallback)
{
    return pGetUserSettings()->value(QLatin1String(key), fallback);
}

CW_Color stctColourSetting(const char* stem, int red, int green, int blue)
{
    const QString base = QLatin1String(stem);
    QSettings* settings = pGetUserSettings();
    return CW_Color{settings->value(base + QStringLiteral("Red"), red).toInt() / 255.0f,
                    settings->value(base + QStringLiteral("Green"), green).toInt() / 255.0f,
                    settings->value(base + QStringLiteral("Blue"), blue).toInt() / 255.0f};
}

} // namespace

frmPreferences::frmPreferences(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
}

QString frmPreferences::qstrGetDefaultTempDirectory()
{
    // The system's temporary folder: a folder at the file-system root is not writable here.
    return QDir::cleanPath(QDir::tempPath() + QStringLiteral("/PnTemp"));
}

double frmPreferences::dGetDefaultXSplineWeight()
{
    return varSetting("DefaultXSplineWeight", 0.25).toDouble();
}

double frmPreferences::dGetDefaultBezierLength()
{
    return varSetting("DefaultBezierLength", 0.2).toDouble();
}

int frmPreferences::iGetNumberOfLayouts()
{
    return std::clamp(varSetting("NumberOfLayouts", 3).toInt(), 1, kMaximumLayouts);
}

int frmPreferences::iGetMaximumHistorySize()
{
    return varSetting("MaximumHistorySize", 100).toInt();
}

QString frmPreferences::qstrGetResultClipFileExtension()
{
    return QLatin1Char('.') + varSetting("ResultClipFileFormat", QStringLiteral("TIF")).toString();
}

unsigned int frmPreferences::uiGetForceAllocThreshold()
{
    return unsigned(std::max(0, varSetting("ForceAllocThreshold", 0).toInt()));
}

CW_Color frmPreferences::stctGetSelectedLayerColour()
{
    return stctColourSetting("SelectedLayerColour", 255, 0, 0);
}

CW_Color frmPreferences::stctGetUnselectedLayerColour()
{
    return stctColourSetting("UnselectedLayerColour", 0, 255, 0);
}

CW_Color frmPreferences::stctGetRenderedLayerColour()
{
    return stctColourSetting("RenderedLayerColour", 165, 82, 255);
}

CW_Color frmPreferences::stctGetPointColour()
{
    return stctColourSetting("PointColour", 0, 0, 255);
}

CW_Color frmPreferences::stctGetSwitchedOffPointColour()
{
    return stctColourSetting("SwitchedOffPointColour", 255, 165, 82);
}

void frmPreferences::vGetOverlayColours(CW_Color out[5])
{
    out[CW_SELECTION_POINT] = stctGetPointColour();
    out[CW_SELECTION_SELECTED_LAYER] = stctGetSelectedLayerColour();
    out[CW_SELECTION_UNSELECTED_LAYER] = stctGetUnselectedLayerColour();
    out[CW_SELECTION_RENDERED_LAYER] = stctGetRenderedLayerColour();
    out[CW_SELECTION_SWITCHED_OFF_POINT] = stctGetSwitchedOffPointColour();
}
