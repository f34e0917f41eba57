// Fixed choices that several pages and dialogs offer, built once at configuration.
#pragma once

#include <QList>
#include <QStringList>
#include <vector>

struct ChoiceTables {
    QStringList qslLensModels;
    QStringList qslFrameRates;
    std::vector<float> vecfFrameRates;
    QStringList qslCombineModes;
    QStringList qslContextMenuActions;
    QList<int> qlContextMenuGroups;
};

// The process-wide tables; empty until vInitChoiceTables runs.
ChoiceTables& stctGetChoiceTables();

// The current-frame query and the press report that parameter-bound widgets call.
struct CWKParameterWidgetHooks {
    double (*pfnCurrentFrame)() = nullptr;
    void (*pfnWidgetPressed)(void* widget) = nullptr;
};
CWKParameterWidgetHooks& stctGetParameterWidgetHooks();

// Fills the tables and the hook table; called once by the main window's configuration.
void vInitChoiceTables();

// The frame-rate entry nearest to rate; ties keep the earlier entry. index receives the
// entry's position when given. With an empty table the largest float is returned.
float fGetNearestFrameRate(float rate, int* index = nullptr);
