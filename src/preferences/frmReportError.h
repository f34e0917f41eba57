// The error report: the user describes a problem, adds contact details and a part of the
// error log, and submits it to the support web form.
#pragma once

#include "ui_frmReportError.h"

#include <QByteArray>
#include <QDialog>
#include <QString>

class frmReportError : public QDialog, public Ui::frmReportError {
    Q_OBJECT
public:
    explicit frmReportError(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // The most of the log's end that a report carries.
    static constexpr qint64 kiMaximumReportedLog = 1 << 20;

    // The log file as stored: an edit cancelled in the preferences is not it.
    static QString qstrGetLogFilePath();
    // The form body for what the dialog shows now.
    QByteArray baBuildReport() const;

public slots:
    // Shows the dialog; on Submit sends the report and keeps the contact fields. The
    // server's answer reaches the user as a message.
    int exec() override;
    void readLog();
};
