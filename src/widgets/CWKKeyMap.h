// A module page's single-key shortcuts: key text (case-sensitive) to the command's
// description and the page button that the key clicks.
#pragma once

#include <QMap>
#include <QString>

class QAbstractButton;

struct CWKKeyBinding {
    QString qstrDescription;
    // A button of the same page; not owned.
    QAbstractButton* pButton = nullptr;
};

using CWKKeyMap = QMap<QString, CWKKeyBinding>;
