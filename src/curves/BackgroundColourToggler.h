// Gives a checkable button a coloured background while it is checked.
#pragma once

#include <QColor>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QString>

class QAbstractButton;

// Has no parent: its creator keeps and deletes it.
class BackgroundColourToggler : public QObject {
    Q_OBJECT
public:
    // An invalid unchecked colour keeps the button's own look while unchecked.
    BackgroundColourToggler(QAbstractButton* button, const QColor& checkedColour, const QColor& uncheckedColour);
    ~BackgroundColourToggler() override;

public slots:
    void onToggle(bool checked);

private:
    QPointer<QAbstractButton> m_pButton;
    QPalette m_palChecked;
    QPalette m_palUnchecked;
    // The program's style sheets give buttons a background of their own, which outranks a
    // palette; a sheet on the button itself outranks theirs.
    QString m_qstrOwnSheet;
    QString m_qstrCheckedSheet;
    QString m_qstrUncheckedSheet;
};
