// A layer's tracking parameters and the keyed flag of its general parameters.
#include "velmor.h"

CW_TrackingParameterSet::CW_TrackingParameterSet(const QString& name)
    : Murn::ParameterSet(name)
    , pInputClip(pAddNumeric<unsigned int>(QStringLiteral("Input Clip"), 1u, 1u, 1u << 30))
    , pLargeMotion(pAddNumeric<bool>(QStringLiteral("Large Motion"), true, false, true))
    , pManualTrack(pAddNumeric<bool>(QStringLiteral("Manual Track"), false, false, true))
    , pHorizontalSearchSize(pAddNumeric<unsigned int>(QStringLiteral("Horizontal Search Size"), 20u, 0u, 500u))
    , pVerticalSearchSize(pAddNumeric<unsigned int>(QStringLiteral("Vertical Search Size"), 20u, 0u, 500u))
    , pAutoHorizontalSearch(pAddNumeric<bool>(QStringLiteral("Auto Horizontal Search"), true, false, true))
    , pAutoVerticalSearch(pAddNumeric<bool>(QStringLiteral("Auto Vertical Search"), true, false, true))
    , pMaxRotation(pAddNumeric<double>(QStringLiteral("Max Rotation"), 0.0, 0.0, 50.0))
    , pMaxZoom(pAddNumeric<double>(QStringLiteral("Max Zoom"), 0.0, 0.0, 100.0))
    , pAutoChannel(pAddNumeric<bool>(QStringLiteral("Auto Channel"), false, false, true))
    , pMotionModel(pAddNumeric<int>(QStringLiteral("Motion Model"), CW_MOTION_PERSPECTIVE, 0, 4))
    , pSmoothingLevel(pAddNumeric<float>(QStringLiteral("Smoothing Level"), 0.0f, 0.0f, 100.0f))
    , pMinTrackingPoints(pAddNumeric<double>(QStringLiteral("Min Tracking Points"), 50.0, 1.0, 100.0))
{
}

Murn::NumericParameter<bool>* CW_LayerParameterSet::pGetTrackedFlag() const
{
    return dynamic_cast<Murn::NumericParameter<bool>*>(pFind(QStringLiteral("Tracked")));
}
