// Lists the project's layers by engine ID, optionally after a "None" entry (ID -1).
#pragma once

#include "widgets/CWKParameterWidget.h"

#include "cwbase.h"

#include <QComboBox>
#include <vector>

class CWKSelectionComboBox : public Murn::CWKParameterWidget<QComboBox> {
    Q_OBJECT
public:
    explicit CWKSelectionComboBox(QWidget* parent = nullptr);
    ~CWKSelectionComboBox() override;

    // Refills from the project's layers and keeps the chosen layer when it is still there.
    // A project without layers leaves the combo empty, "None" included.
    void fillWithLayers(CW_Instance project, bool withNone);
    // -1 when the combo holds no IDs or nothing is chosen.
    int currentId() const;
    // Chooses the last entry with the ID; without one the choice stays.
    void setCurrentId(int id);

private:
    bool m_bHasIds = false;
    std::vector<int> m_vecLayerIDs;
};
