#include "brandor.h"
#include "testing.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <atomic>
#include <thread>

namespace standin::testing {

void vCallFromOtherThread(const std::function<void(CW_CallbackStruct&)>& call, bool processEventsWhileWaiting)
{
    std::atomic<bool> done{false};
    QCoreApplication* application = QCoreApplication::instance();
    std::thread caller([&] {
        call(*pstctBRD_GetCallbackStruct());
        done = true;
        // Wakes the waiting loop below, which may be asleep waiting for events.
        if (application)
            QMetaObject::invokeMethod(application, [] {}, Qt::QueuedConnection);
    });
    while (processEventsWhileWaiting && application && !done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    caller.join();
}

} // namespace standin::testing
