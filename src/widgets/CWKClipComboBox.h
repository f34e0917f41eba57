// Lists the project's clips by engine ID under configurable filters, optionally with an
// "Import" (ID -1) and a "None" (ID 0) entry, and refills itself when the clips change.
#pragma once

#include "widgets/CWKParameterWidget.h"

#include <QComboBox>
#include <vector>

class CWKClipComboBox : public Murn::CWKParameterWidget<QComboBox> {
    Q_OBJECT
public:
    explicit CWKClipComboBox(QWidget* parent = nullptr);
    ~CWKClipComboBox() override;

    // Stores the filters, refills and keeps the chosen clip when it is still listed; then
    // follows the open project's clip changes.
    void vConfigure(int familyClip, bool excludeDerived, bool excludeSecondMark, bool withNone, bool onlyDerived,
        bool withImport, bool excludeGarbageMattes, int resolution);
    // Lists only rendered results (clips whose source flag is clear); applies from the next
    // vConfigure.
    void vSetRenderedOnly(bool renderedOnly) { m_bRenderedOnly = renderedOnly; }
    // 0 when the combo is empty or nothing is chosen.
    int eGetCurrentClipID() const;
    // Chooses the last entry with the ID; without one nothing is chosen.
    void vSetCurrentClipID(int id);
    const std::vector<int>& vecGetClipIDs() const { return m_vecClipIDs; }

private slots:
    void onAvailableClipsChanged();

private:
    void vRefill();
    // Chooses id when listed (and not 0), else the first entry.
    void vRestoreSelection(int id);

    int m_iFamilyClip = 0;
    bool m_bExcludeDerived = false;
    bool m_bExcludeSecondMark = false;
    bool m_bWithNone = true;
    bool m_bOnlyDerived = false;
    bool m_bWithImport = false;
    bool m_bExcludeGarbageMattes = false;
    int m_iResolution = 3;
    bool m_bRenderedOnly = false;
    std::vector<int> m_vecClipIDs;
};
