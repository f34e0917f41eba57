// A table cell that sorts by the unsigned number its text holds.
#pragma once

#include <QTableWidgetItem>

class CWKTableItemUInt : public QTableWidgetItem {
public:
    explicit CWKTableItemUInt(const QString& text);

    // Texts that hold no unsigned number sort after every number, among themselves by text.
    bool operator<(const QTableWidgetItem& other) const override;
    QTableWidgetItem* clone() const override { return new CWKTableItemUInt(*this); }
};
