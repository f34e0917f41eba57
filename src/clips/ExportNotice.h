// The body of an export dialog whose export this version cannot do yet: it says so and
// offers Close, so nothing looks like a file was written.
#pragma once

#include <QString>

class QDialog;

void vBuildExportNotice(QDialog* dialog, const QString& title, const QString& what);
