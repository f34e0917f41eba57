// The Overlay Colours panel: colours of the viewer overlays.
#pragma once

#include <QWidget>

class frmOverlayColours : public QWidget {
    Q_OBJECT
public:
    // The main window's dock factory creates the panel through its meta-object.
    Q_INVOKABLE frmOverlayColours();
};
