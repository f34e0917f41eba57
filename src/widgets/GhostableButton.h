// A push button that can be made invisible without giving up its place in the layout.
#pragma once

#include <QPushButton>

class GhostableButton : public QPushButton {
    Q_OBJECT
public:
    explicit GhostableButton(QWidget* parent = nullptr);
    ~GhostableButton() override;

    // A ghosted button paints nothing; its size, place and input stay.
    void setGhosted(bool ghosted);
    bool isGhosted() const { return m_bGhosted; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_bGhosted = false;
};
