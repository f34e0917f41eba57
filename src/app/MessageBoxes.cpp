#include "MessageBoxes.h"

#include "ProductStrings.h"
#include "ProgramState.h"
#include "cwbase.h"

#include <QApplication>
#include <QPointer>
#include <QSplashScreen>

namespace {

// Closes a splash screen when the widget it waits for is first shown.
class SplashCloser : public QObject {
public:
    SplashCloser(QSplashScreen* splash, QWidget* widget) : QObject(widget), m_pSplash(splash) {}
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Show) {
            if (m_pSplash) {
                m_pSplash->close();
                m_pSplash->deleteLater();
            }
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QSplashScreen> m_pSplash;
};

QWidget* pBoxParent(QWidget* parent)
{
    if (parent)
        return parent;
    // The main window, when there is one; a box without a parent otherwise.
    const auto topLevels = QApplication::topLevelWidgets();
    for (QWidget* widget : topLevels) {
        if (widget->inherits("QMainWindow"))
            return widget;
    }
    return nullptr;
}
} // namespace

void vCloseSplashScreen(QWidget* widget)
{
    // A splash waiting for a window to appear still closes at once when anything else,
    // such as a message box, needs the screen first.
    static QPointer<QSplashScreen> s_pWaitingSplash;
    if (!g_pSplashScreen) {
        if (!widget && s_pWaitingSplash) {
            s_pWaitingSplash->close();
            s_pWaitingSplash->deleteLater();
            s_pWaitingSplash = nullptr;
        }
        return;
    }
    QSplashScreen* splash = g_pSplashScreen;
    g_pSplashScreen = nullptr;
    // QSplashScreen::finish() spins the event loop until the widget is exposed, which would
    // dispatch posted events before the program's own loop runs. Closing on the widget's
    // first show does the same without that.
    if (widget && !widget->isVisible()) {
        auto* closer = new SplashCloser(splash, widget);
        widget->installEventFilter(closer);
        s_pWaitingSplash = splash;
        return;
    }
    splash->close();
    splash->deleteLater();
}

void vShowWarning(QWidget* parent, const QString& text)
{
    vCloseSplashScreen(nullptr);
    QMessageBox::warning(pBoxParent(parent), qstrGetProductDisplayName(), text, QMessageBox::Ok);
}

void vShowInformation(QWidget* parent, const QString& text)
{
    vCloseSplashScreen(nullptr);
    QMessageBox::information(pBoxParent(parent), qstrGetProductDisplayName(), text, QMessageBox::Ok);
}

void vShowCritical(QWidget* parent, const QString& text)
{
    vCloseSplashScreen(nullptr);
    QMessageBox::critical(pBoxParent(parent), qstrGetProductDisplayName(), text, QMessageBox::Ok);
}

QMessageBox::StandardButton eAskQuestion(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton)
{
    vCloseSplashScreen(nullptr);
    return QMessageBox::question(pBoxParent(parent), qstrGetProductDisplayName(), text, buttons, defaultButton);
}

QString qstrCurrentExceptionMessage()
{
    try {
        throw;
    } catch (const CW_Exception& e) {
        return QString::fromLocal8Bit(e.strUserMessage().c_str());
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QCoreApplication::translate("MessageBoxes", "An error occured, please try again");
    }
}

bool bCallReported(QWidget* parent, const std::function<void()>& work)
{
    QString message;
    try {
        work();
        return true;
    } catch (...) {
        message = qstrCurrentExceptionMessage();
    }
    vShowWarning(parent, message);
    return false;
}
