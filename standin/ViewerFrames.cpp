// Decoded frames for the viewer: a cache bounded in bytes, and workers that decode the
// frames a step is likely to want next while the current one is on screen.
#include "ViewerFrames.h"

#include "PngDecode.h"
#include "testing.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImageReader>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <list>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace {

// The machine's cores, as this process may use them.
int iVfCores()
{
    return std::max(1, QThread::idealThreadCount());
}

// Frames decoded ahead of the one shown, at most: enough to keep every core busy twice over.
int iVfAheadFrames()
{
    return std::max(8, 2 * iVfCores());
}

struct VfEntry {
    QString qstrPath;
    QImage image;
};

// Frame files larger than this are not read.
constexpr qint64 kVfLargestFile = qint64(1) << 30;

QImage imgVfDecode(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kVfLargestFile)
        return QImage();
    QByteArray data = file.readAll();
    file.close();
    // PNG frames the quick way; anything it leaves goes through the toolkit's readers.
    QImage image = standin::imgDecodePng(data);
    if (!image.isNull())
        return image;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, QFileInfo(path).suffix().toLatin1());
    image = reader.read();
    if (!image.isNull() && image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    return image;
}

class VfFrameStore {
public:
    ~VfFrameStore() { vStop(); }

    QImage imgGet(const QString& path)
    {
        QElapsedTimer timer;
        timer.start();
        std::unique_lock<std::mutex> lock(m_mutex);
        bool waited = false;
        for (;;) {
            auto it = m_index.find(path);
            if (it != m_index.end()) {
                m_cache.splice(m_cache.begin(), m_cache, it->second);
                if (waited)
                    standin::vRecordFrameRead(timer.nsecsElapsed(), false);
                return it->second->image;
            }
            if (!m_decoding.count(path))
                break;
            // A worker is on it: waiting is quicker than decoding it a second time.
            waited = true;
            m_cvDone.wait(lock);
        }
        m_queue.erase(std::remove(m_queue.begin(), m_queue.end(), path), m_queue.end());
        m_decoding.insert(path);
        const quint64 generation = m_uiGeneration;
        lock.unlock();
        const QImage image = imgVfDecode(path);
        lock.lock();
        m_decoding.erase(path);
        m_cvDone.notify_all();
        if (!image.isNull() && generation == m_uiGeneration)
            vInsertLocked(path, image);
        lock.unlock();
        standin::vRecordFrameRead(timer.nsecsElapsed(), !image.isNull());
        return image;
    }

    // paths in the order they will be needed; workers may hold a frame each while decoding,
    // so no more of them decode at once than frames fit in the cache besides these.
    void vAhead(const QString& shown, std::vector<QString> paths, size_t frameBytes)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const size_t room = m_uiBudget / std::max<size_t>(1, frameBytes);
        m_iDecodersAllowed = int(std::clamp<size_t>(room > 1 ? room - 1 : 1, 1, size_t(iVfCores())));
        // The frames ahead that are here already, and the shown one, are the last to go:
        // repaints of the shown frame must not make room by dropping the next ones.
        for (auto path = paths.rbegin(); path != paths.rend(); ++path)
            vTouchLocked(*path);
        vTouchLocked(shown);
        m_queue.clear();
        for (QString& path : paths) {
            if (!m_index.count(path) && !m_decoding.count(path))
                m_queue.push_back(std::move(path));
        }
        if (m_queue.empty())
            return;
        if (m_workers.empty()) {
            const int count = iVfCores();
            for (int k = 0; k < count; ++k)
                m_workers.emplace_back([this]() { vWork(); });
            // Decoding must be over before the image plug-ins go with the application.
            if (!m_bPostRoutineAdded && QCoreApplication::instance()) {
                m_bPostRoutineAdded = true;
                qAddPostRoutine(&standin::vStopDecodeAhead);
            }
        }
        m_cvWork.notify_all();
    }

    void vStop()
    {
        std::vector<std::thread> workers;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_queue.clear();
            m_bStopping = true;
            workers.swap(m_workers);
        }
        m_cvWork.notify_all();
        for (std::thread& worker : workers)
            worker.join();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStopping = false;
    }

    void vForget()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // A decode in progress belongs to the old files; it is not kept.
        ++m_uiGeneration;
        m_queue.clear();
        m_cache.clear();
        m_index.clear();
        m_uiBytes = 0;
    }

    void vSetBudget(size_t bytes)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_uiBudget = bytes;
        vTrimLocked();
    }

    size_t uiBudget()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_uiBudget;
    }

    size_t uiCount()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_cache.size();
    }

    bool bIdle()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_queue.empty() && m_decoding.empty();
    }

    bool bRunning()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return !m_workers.empty();
    }

    void vSetDelay(int milliseconds)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_iDelayMs = std::max(0, milliseconds);
    }

    int iMostBusy()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_iMostBusy;
    }

    std::vector<QString> vecStarts()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_vecStarts;
    }

    void vResetLog()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_iMostBusy = 0;
        m_vecStarts.clear();
    }

private:
    void vWork()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_cvWork.wait(lock, [this]() {
                return m_bStopping || (!m_queue.empty() && m_iDecodersBusy < m_iDecodersAllowed);
            });
            if (m_bStopping)
                return;
            // The frame needed soonest first.
            const QString path = m_queue.front();
            m_queue.pop_front();
            if (m_index.count(path) || m_decoding.count(path))
                continue;
            m_decoding.insert(path);
            ++m_iDecodersBusy;
            m_iMostBusy = std::max(m_iMostBusy, m_iDecodersBusy);
            if (m_vecStarts.size() < 1024)
                m_vecStarts.push_back(path);
            const quint64 generation = m_uiGeneration;
            const int delay = m_iDelayMs;
            lock.unlock();
            const QImage image = imgVfDecode(path);
            if (delay > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
            lock.lock();
            --m_iDecodersBusy;
            m_cvWork.notify_one();
            m_decoding.erase(path);
            if (!image.isNull() && generation == m_uiGeneration) {
                vInsertLocked(path, image);
                standin::vRecordFrameRead(0, false, true);
            }
            m_cvDone.notify_all();
        }
    }

    void vTouchLocked(const QString& path)
    {
        auto it = m_index.find(path);
        if (it != m_index.end())
            m_cache.splice(m_cache.begin(), m_cache, it->second);
    }

    void vInsertLocked(const QString& path, const QImage& image)
    {
        if (m_index.count(path))
            return;
        m_cache.push_front({path, image});
        m_index[path] = m_cache.begin();
        m_uiBytes += size_t(image.sizeInBytes());
        vTrimLocked();
    }

    void vTrimLocked()
    {
        while (m_uiBytes > m_uiBudget && !m_cache.empty()) {
            m_uiBytes -= size_t(m_cache.back().image.sizeInBytes());
            m_index.erase(m_cache.back().qstrPath);
            m_cache.pop_back();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_cvWork;
    std::condition_variable m_cvDone;
    std::list<VfEntry> m_cache; // most recently used first
    std::unordered_map<QString, std::list<VfEntry>::iterator> m_index;
    size_t m_uiBytes = 0;
    // About 128 HD frames unless told otherwise.
    size_t m_uiBudget = size_t(1) << 30;
    std::deque<QString> m_queue;
    std::unordered_set<QString> m_decoding;
    std::vector<std::thread> m_workers;
    // Workers decoding now, and how many may (bounded by the cores and the cache).
    int m_iDecodersBusy = 0;
    int m_iDecodersAllowed = 1;
    // For the tests: a delay per decode, the most decodes at once, the order they started in.
    int m_iDelayMs = 0;
    int m_iMostBusy = 0;
    std::vector<QString> m_vecStarts;
    bool m_bStopping = false;
    bool m_bPostRoutineAdded = false;
    quint64 m_uiGeneration = 0;
};

VfFrameStore& stctVfStore()
{
    static VfFrameStore store;
    return store;
}

// The last frame asked for, to tell the direction of the steps: a step of one sets it, a
// jump keeps it, a new start goes forward.
std::mutex g_vfStepMutex;
QString g_vfLastSequence;
int g_vfLastFrame = -1;
int g_vfDirection = 1;

} // namespace

namespace standin {

QString qstrViewerFramePath(const CW_ClipInfo& files, unsigned int frame)
{
    // A sparse clip shows the image of the frame's record; a frame without one has none.
    if (files.bSparse) {
        if (files.bAllFrames && !files.vecDiscreteFrames.empty())
            return QString::fromUtf8(files.vecDiscreteFrames.front().acPath);
        for (const CW_DiscreteFrame& record : files.vecDiscreteFrames) {
            if (record.iFrame >= 0 && unsigned(record.iFrame) == frame)
                return QString::fromUtf8(record.acPath);
        }
        return QString();
    }
    QString folder = files.qstrFolder;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    if (files.iThirdNumber < 0)
        return folder + files.qstrFileName + files.qstrThirdPart;
    const int number = files.iFirstFileNumber + int(frame);
    return folder + files.qstrFileName + QStringLiteral("%1").arg(number, files.iThirdNumber, 10, QLatin1Char('0'))
        + files.qstrThirdPart;
}

QImage imgGetDecodedFrame(const QString& path)
{
    return stctVfStore().imgGet(path);
}

void vForgetDecodedFrames()
{
    stctVfStore().vForget();
    std::lock_guard<std::mutex> lock(g_vfStepMutex);
    g_vfLastSequence.clear();
    g_vfLastFrame = -1;
}

void vDecodeAhead(const CW_ClipInfo& files, int frameCount, unsigned int frame, const QImage& shown)
{
    if (files.iThirdNumber < 0 || files.bSparse || frameCount <= 1 || shown.isNull())
        return;
    const QString sequence
        = files.qstrFolder + QLatin1Char('/') + files.qstrFileName + QLatin1Char('#') + files.qstrThirdPart;
    int direction = 1;
    {
        std::lock_guard<std::mutex> lock(g_vfStepMutex);
        if (sequence == g_vfLastSequence) {
            // A repaint of the same frame leaves the work asked for before as it is.
            if (int(frame) == g_vfLastFrame)
                return;
            if (int(frame) == g_vfLastFrame - 1)
                g_vfDirection = -1;
            else if (int(frame) == g_vfLastFrame + 1)
                g_vfDirection = 1;
        } else {
            g_vfDirection = 1;
        }
        g_vfLastSequence = sequence;
        g_vfLastFrame = int(frame);
        direction = g_vfDirection;
    }
    // Ahead only as far as the cache holds, keeping the shown frame.
    const size_t frameBytes = std::max<size_t>(1, size_t(shown.sizeInBytes()));
    const int fits = int(std::min<size_t>(size_t(iVfAheadFrames()) + 1, stctVfStore().uiBudget() / frameBytes)) - 1;
    std::vector<QString> paths;
    for (int k = 1; k <= fits; ++k) {
        const int next = int(frame) + direction * k;
        if (next < 0 || next >= frameCount)
            break;
        paths.push_back(qstrViewerFramePath(files, unsigned(next)));
    }
    stctVfStore().vAhead(qstrViewerFramePath(files, frame), std::move(paths), frameBytes);
}

void vStopDecodeAhead()
{
    stctVfStore().vStop();
    std::lock_guard<std::mutex> lock(g_vfStepMutex);
    g_vfLastSequence.clear();
    g_vfLastFrame = -1;
}

} // namespace standin

namespace standin::testing {

void vSetDecodedFrameBudget(size_t bytes)
{
    stctVfStore().vSetBudget(bytes);
}

size_t uiGetDecodedFrameCount()
{
    return stctVfStore().uiCount();
}

bool bDecodeAheadIdle()
{
    return stctVfStore().bIdle();
}

bool bDecodeAheadRunning()
{
    return stctVfStore().bRunning();
}

void vSetDecodeAheadDelay(int milliseconds)
{
    stctVfStore().vSetDelay(milliseconds);
}

int iGetMostDecodesAtOnce()
{
    return stctVfStore().iMostBusy();
}

std::vector<QString> vecGetDecodeAheadStarts()
{
    return stctVfStore().vecStarts();
}

void vResetDecodeAheadLog()
{
    stctVfStore().vResetLog();
}

} // namespace standin::testing
