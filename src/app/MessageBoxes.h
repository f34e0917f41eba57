// The message-box convention and the standard failure report of every entry point.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

// Takes the splash screen down: finish(widget) when a widget is given, else close().
// Safe to call any number of times.
void vCloseSplashScreen(QWidget* widget);

// Boxes titled with the product's display name, with the splash screen closed first.
// A null parent means the main window.
void vShowWarning(QWidget* parent, const QString& text);
void vShowInformation(QWidget* parent, const QString& text);
void vShowCritical(QWidget* parent, const QString& text);
QMessageBox::StandardButton eAskQuestion(QWidget* parent, const QString& text,
                                         QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No,
                                         QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// The text the standard report shows for the exception being handled. Call inside a catch.
QString qstrCurrentExceptionMessage();

// Runs an entry point's work; an engine exception, a standard exception or anything else
// thrown is shown in one warning box on the parent, and false is returned.
bool bCallReported(QWidget* parent, const std::function<void()>& work);
