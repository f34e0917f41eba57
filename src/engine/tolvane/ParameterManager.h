// A project's parameter manager: tells the user interface when the project's clips change.
#pragma once

#include <QObject>

class TOLV_ParameterManager : public QObject {
    Q_OBJECT
public:
    explicit TOLV_ParameterManager(QObject* parent = nullptr)
        : QObject(parent)
    {
    }

signals:
    // A clip was registered or unregistered, or its listing changed.
    void availableClipsChanged();
};
