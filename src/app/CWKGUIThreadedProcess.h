// Long engine operations on a worker thread, frame by frame, while the user interface
// stays live: the foreground run (module runs, stoppable, puts the window into the run
// state) and the background run (one project write, no state change).
#pragma once

#include "cwbase.h"

#include <QString>
#include <QThread>
#include <atomic>
#include <vector>

class QEvent;
class QLabel;
class QProgressBar;

using CW_StepFunction = CW_BOOL (*)(CW_Instance);
using CW_PostFunction = void (*)(CW_Instance);

// Posted by a worker whose engine call threw; the payload is a heap QString with the
// message, which the main window shows and deletes.
constexpr int kiWorkerFailedEvent = 2050;

class CWKGUIThreadedProcess : public QThread {
    Q_OBJECT
public:
    // Takes ownership of both events: they are posted to the main window in the run or
    // deleted with the worker when the run never reached them.
    CWKGUIThreadedProcess(bool bLockEngine, bool bBackupBuffers, CW_StepFunction pFunc, int iFrameEvent,
                          CW_StepFunction pFirstFunc, QEvent* pFirstEvent, unsigned int uiFrames,
                          CW_PostFunction pPostFunc, QEvent* pEndEvent, bool bBackground, bool bShowFailure,
                          unsigned int uiStep, bool bPostRunEnded);
    ~CWKGUIThreadedProcess() override;

    bool bIsBackground() const { return m_bBackground; }
    // True once run() has posted everything it will post; the thread is then only returning.
    bool bHasPostedEverything() const { return m_bEverythingPosted; }

protected:
    void run() override;

private:
    void vRunForeground();
    void vRunBackground();
    // Posts a frame event carrying a semaphore and waits until the main window handled it.
    void vPostFrameEventAndWait(int iCode);
    void vPostOwnedEvent(QEvent*& pEvent);
    // The last events of a run go out together, after the flag that says the work is done.
    void vQueueFinalEvent(QEvent*& pEvent);
    void vQueueRunEnded();
    void vPostFinalEvents();

    friend bool bExecuteThreaded(bool, bool, CW_StepFunction, int, CW_StepFunction, QEvent*, unsigned int,
                                 CW_PostFunction, QEvent*, bool, bool, unsigned int, bool);

    bool m_bLockEngine;
    bool m_bBackupBuffers;
    CW_StepFunction m_pFunc;
    CW_StepFunction m_pFirstFunc;
    int m_iFrameEvent;
    unsigned int m_uiFrames;
    QEvent* m_pFirstEvent;
    CW_PostFunction m_pPostFunc;
    QEvent* m_pEndEvent;
    bool m_bBackground;
    bool m_bShowFailure;
    unsigned int m_uiStep;
    bool m_bPostRunEnded;
    // "SaveImagesAfterRenderingSingleFrames", read on the user-interface thread at creation
    // because the settings object is not to be used from a worker.
    bool m_bSaveImagesAfterSingleFrames;
    std::atomic<bool> m_bEverythingPosted{false};
    // Which foreground run this is; its run-ended event carries the number.
    quintptr m_uiRunNumber = 0;
    std::vector<QEvent*> m_vecFinalEvents;
};

// Starts a run; user-interface thread only. True when the worker runs or has already
// finished. False when refused (a background run while the previous one still writes, a
// foreground run while the previous one is still going) or when the thread did not start;
// the runner owns pFirstEvent and pEndEvent in every case.
bool bExecuteThreaded(bool bLockEngine, bool bBackupBuffers, CW_StepFunction pFunc, int iFrameEvent,
                      CW_StepFunction pFirstFunc, QEvent* pFirstEvent, unsigned int uiFrames, CW_PostFunction pPostFunc,
                      QEvent* pEndEvent, bool bBackground, bool bShowFailure, unsigned int uiStep, bool bPostRunEnded);
// True while a foreground worker runs; the background worker does not count.
bool bIsExecutingThreaded();
// Whether a run-ended event with this number belongs to the latest foreground run.
bool bIsCurrentForegroundRun(quintptr uiRunNumber);
// Waits for the foreground worker, handling events meanwhile (the worker waits for the
// main window after each frame), then deletes it; a run chained from its last events is
// waited for too. Unless quiet, the status bar says so.
void vWaitForExecutingThreadedToFinish(bool bQuiet);
// When a foreground worker runs: sets the stop request to bStop and waits for it.
void vStopExecutingThreaded(bool bStop);
// Stops the foreground worker, waits for both workers and deletes them; for the main
// window's end, after which nothing may be posted to it.
void vEndAllWorkers();

bool bIsStopRequested();
// User-interface thread. A set request shows "Stopping process..." at once; the widget
// state is left to the run-ended event, since the worker still finishes its frame.
void vSetStopRequested(bool bStop);

// The progress record, any thread. While the text is "Stopping process..." only an empty
// text replaces it.
void vSetProgressText(const QString& text);
void vSetProgressValue(int value);
QString qstrGetProgressText();
int iGetProgressValue();
// The main window's label and bar that show the record.
void vRegisterProgressDisplay(QLabel* label, QProgressBar* bar);
// Copies the record to the label and the bar; user-interface thread only.
void vRefreshProgressDisplay();

// Stack size of the workers started from now on; 0 is the platform's default.
void vSetWorkerStackSize(unsigned int uiBytes);

// Waits, handling events, while the background worker writes; then deletes it. Returns
// whether a background worker had to be waited for. Unless quiet, the status bar says so.
bool bWaitWhileExecutingThreaded(bool bQuiet);
