// The keyframe button strip of the main window's time bar.
#pragma once

#include <QWidget>

class KeyframeControls : public QWidget {
    Q_OBJECT
public:
    explicit KeyframeControls(QWidget* parent = nullptr);

public slots:
    // Brings the buttons up to date for the current frame.
    void updateGUI();
};
