// The base of every module page and of the curve-editor page.
#pragma once

#include "cwbase.h"

#include <QDialog>

class CWKControlForm : public QDialog {
    Q_OBJECT
public:
    explicit CWKControlForm(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // The engine module the page works in; the engine's action checks are asked for it.
    virtual CW_MODULE eGetModule() const = 0;

public slots:
    // While the project closes: lets go of the engine parameters the page's widgets are
    // bound to. Nothing by default.
    virtual void vReleaseProject() {}
};
