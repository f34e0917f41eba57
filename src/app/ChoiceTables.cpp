#include "ChoiceTables.h"

#include "ShellAccessors.h"

#include <cfloat>
#include <cmath>

ChoiceTables& stctGetChoiceTables()
{
    static ChoiceTables s_tables;
    return s_tables;
}

CWKParameterWidgetHooks& stctGetParameterWidgetHooks()
{
    static CWKParameterWidgetHooks s_hooks;
    return s_hooks;
}

void vInitChoiceTables()
{
    ChoiceTables& tables = stctGetChoiceTables();
    tables.qslLensModels << QStringLiteral("No Distortion") << QStringLiteral("1-Parameter")
                         << QStringLiteral("2-Parameter") << QStringLiteral("1-Parameter Inv")
                         << QStringLiteral("Anamorphic");

    static const struct {
        const char* text;
        float value;
    } kRates[] = {{"10", 10.0f},    {"15", 15.0f}, {"23.976", 23.976f}, {"24", 24.0f},    {"25", 25.0f},
                  {"29.97", 29.97f}, {"30", 30.0f}, {"50", 50.0f},       {"59.94", 59.94f}, {"60", 60.0f}};
    for (const auto& rate : kRates) {
        tables.qslFrameRates << QString::fromLatin1(rate.text);
        tables.vecfFrameRates.push_back(rate.value);
    }

    tables.qslCombineModes << QStringLiteral("Add") << QStringLiteral("Subtract");

    // Groups: 0 Point, 1 Selection, 2 Layer, 3 Spline, 4 Multi-Layer.
    static const struct {
        const char* text;
        int group;
    } kActions[] = {{"Corner", 0},
                    {"Smooth", 0},
                    {"Linear", 0},
                    {"Activate", 0},
                    {"Deactivate", 0},
                    {"Delete Points", 0},
                    {"Select All in Spline", 1},
                    {"Select All in Layer", 1},
                    {"Subtract Layer", 2},
                    {"Add Layer", 2},
                    {"Matte Invert On", 2},
                    {"Matte Invert Off", 2},
                    {"Lock Layer", 2},
                    {"Unlock Layer", 2},
                    {"Deactivate Layer", 2},
                    {"Activate Layer", 2},
                    {"Switch Off Spline", 3},
                    {"Switch On Spline", 3},
                    {"Hide Layer", 2},
                    {"Show Layer", 2},
                    {"Delete Layer", 2},
                    {"Delete Spline", 3},
                    {"Duplicate Layer", 2},
                    {"Lock Unselected Layers", 4},
                    {"Unlock Unselected Layers", 4},
                    {"Lock All Layers", 4},
                    {"Unlock All Layers", 4}};
    for (const auto& action : kActions) {
        tables.qslContextMenuActions << QString::fromLatin1(action.text);
        tables.qlContextMenuGroups << action.group;
    }

    CWKParameterWidgetHooks& hooks = stctGetParameterWidgetHooks();
    hooks.pfnCurrentFrame = &dGetCurrentFrame;
    hooks.pfnWidgetPressed = &pfnWidgetPressed;
}

float fGetNearestFrameRate(float rate, int* index)
{
    const std::vector<float>& rates = stctGetChoiceTables().vecfFrameRates;
    float best = FLT_MAX;
    float bestDifference = FLT_MAX;
    for (size_t i = 0; i < rates.size(); ++i) {
        const float difference = std::fabs(rates[i] - rate);
        if (difference < bestDifference) {
            bestDifference = difference;
            best = rates[i];
            if (index)
                *index = int(i);
        }
    }
    return best;
}
