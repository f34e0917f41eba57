// What reaches the screen, as the benchmarks count it: one turn of the event loop that
// swapped the viewer's frame, or repainted and flushed the watched window, is one
// composition, however many of those it did. A window composition held back by a frame
// change is none.
#pragma once

#include "app/Settings.h"
#include "standin/testing.h"
#include "viewer/frmMainGLWidget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>

namespace benchscreen {

// A bench run's settings live in a folder of their own, never the user's. Made before the
// application object, which reads the folder.
class BenchHome {
public:
    BenchHome()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
        QStandardPaths::setTestModeEnabled(true);
    }

private:
    QTemporaryDir m_dir;
};

// The program's settings with their defaults, under the bench's own name.
inline void vNameBench(const QString& name)
{
    QCoreApplication::setOrganizationName(name);
    QCoreApplication::setApplicationName(name);
    vCreateSettings();
}

class BenchApplication : public QApplication {
public:
    using QApplication::QApplication;

    // The window whose repaints count (null: none) and the viewer whose swaps count.
    void vWatch(QWidget* window, frmMainGLWidget* viewer)
    {
        QObject::disconnect(m_swapConnection);
        m_pWindow = window;
        m_pViewer = viewer;
        if (viewer)
            m_swapConnection = QObject::connect(viewer, &frmMainGLWidget::frameSwapped, viewer, [this]() {
                m_iShownFrame = standin::testing::stctGetRenderTimings().iLastDrawnFrame;
                if (m_iDepth > 0)
                    m_bPresented = true;
                else
                    vComposed(0);
            });
    }

    bool notify(QObject* receiver, QEvent* event) override
    {
        const bool outer = m_iDepth == 0;
        QElapsedTimer timer;
        if (outer) {
            m_bPresented = false;
            timer.start();
        }
        ++m_iDepth;
        const bool windowUpdate = m_pWindow && receiver == m_pWindow && event->type() == QEvent::UpdateRequest
            && !(m_pViewer && m_pViewer->bIsCompositionHeld());
        if (windowUpdate)
            ++m_iInWindowUpdate;
        else if (event->type() == QEvent::Paint && m_iInWindowUpdate > 0)
            m_bPresented = true;
        const bool result = QApplication::notify(receiver, event);
        if (windowUpdate)
            --m_iInWindowUpdate;
        --m_iDepth;
        if (outer && m_bPresented)
            vComposed(timer.nsecsElapsed());
        return result;
    }

    unsigned int m_uiCompositions = 0;
    // Time of the turns of the event loop that put something on screen, drawing included.
    double m_dComposingMs = 0.0;
    // The clip frame the viewer's last swap showed, and when the last composition ended
    // (nanoseconds on m_clock).
    int m_iShownFrame = -1;
    qint64 m_iLastComposedNs = 0;
    QElapsedTimer m_clock;
    // Called after each composition.
    std::function<void()> fnComposed;

private:
    void vComposed(qint64 nanoseconds)
    {
        ++m_uiCompositions;
        m_dComposingMs += double(nanoseconds) / 1.0e6;
        if (!m_clock.isValid())
            m_clock.start();
        m_iLastComposedNs = m_clock.nsecsElapsed();
        if (fnComposed)
            fnComposed();
    }

    QWidget* m_pWindow = nullptr;
    frmMainGLWidget* m_pViewer = nullptr;
    QMetaObject::Connection m_swapConnection;
    int m_iDepth = 0;
    int m_iInWindowUpdate = 0;
    bool m_bPresented = false;
};

inline BenchApplication* pBenchApp()
{
    return static_cast<BenchApplication*>(qApp);
}

} // namespace benchscreen
