// Base services: product identity strings, the error log, change notifications,
// undoable commands and time code.
#pragma once

#include <QString>
#include <memory>
#include <mutex>
#include <string>

// Product functions. Each takes a product identity ("plintra", "plintra4ae", ...);
// an identity the library does not know gives exactly "INVALID PRODUCT".
QString qstrGetProductName(const QString& product);
QString qstrGetProductVersion(const QString& product);
QString qstrGetLongProductVersion(const QString& product);
QString qstrGetFileExtension(const QString& product);          // with the leading "."
QString qstrGetRegistryProductName(const QString& product);
QString qstrGetProductDocDir(const QString& product);
QString qstrGetProductList(const QString& product);            // space-separated identities
QString qstrGetLoadableProjects(const QString& product);       // space-separated product identities
QString qstrGetProductBuildNumber(const QString& product);     // decimal text
QString qstrGetRenderFunctionName(const QString& product);     // "Track" or "Render"
QString qstrGetProductColor(const QString& product);           // "r g b"
QString qstrGetFeatures(const QString& product);
QString qstrGetTargetOS(const QString& product);
QString qstrGetUpdateProductName(const QString& product);      // the name the update server knows

namespace Vosk {

// The program's error log. Lines passed before Start are dropped.
class Logger {
public:
    static Logger* instance();
    void Start(const std::string& filePathUtf8, const std::string& productName);
    // Starts the log on a file and marks the start with "(<product name>) Commenced logging".
    void startLogging(const std::string& filePath, const std::string& productNameUtf8, bool append);
    void Stop();
    std::string strGetFile() const;
    bool bIsStarted() const;
    void Log(const std::string& lineUtf8);

private:
    Logger() = default;
    mutable std::mutex m_mutex;
    std::string m_strFile;
    std::string m_strProduct;
    bool m_bStarted = false;
};

// Time code of a frame index at a frame rate. Interlaced indices count fields, the
// dominant field first; lowerFieldFirst says which field that is.
class Timecode {
public:
    Timecode(float frameRate, bool interlaced, bool lowerFieldFirst);
    // Writes "HH:MM:SS:FF", with ":U" or ":L" appended for a field when fieldLetter is set.
    void populateTimecodeString(QString& text, int frame, bool fieldLetter) const;
    // Whole frames per second: the rate rounded, so 29.97 counts 30; at least 1.
    int iFramesPerSecond() const { return m_iFramesPerSecond; }

private:
    int m_iFramesPerSecond;
    bool m_bInterlaced;
    bool m_bLowerFieldFirst;
};

} // namespace Vosk

#include <vector>

namespace Vosk {

// A change that an observed object reports to its observers. The subject is the object
// that changed; the type says what changed.
class Change {
public:
    enum Type {
        KEY_ADDED = 1,
        KEY_REMOVED = 2,
        KEY_VALUE_CHANGED = 3,
        KEY_TIME_CHANGED = 4,
        KEY_TANGENTS_CHANGED = 5,
        INTERPOLATION_CHANGED = 6,
        EXTRAPOLATION_BEFORE_CHANGED = 7,
        EXTRAPOLATION_AFTER_CHANGED = 8,
        STATIC_VALUE_CHANGED = 9,
        KEY_MOVED_PAST_OTHERS = 14,
        // The subject is going away; observers must let go of it.
        REMOVED = 16
    };

    Change(const void* subject, int type, int affectedIndex = -1, std::vector<int> affectedIndices = {});

    const void* getSubject() const { return m_pSubject; }
    int getType() const { return m_iType; }
    int getAffectedIndex() const { return m_iAffectedIndex; }
    const std::vector<int>& getAffectedIndices() const { return m_vecAffectedIndices; }
    // A short description for debug lines.
    QString getText() const;

private:
    const void* m_pSubject;
    int m_iType;
    int m_iAffectedIndex;
    std::vector<int> m_vecAffectedIndices;
};

} // namespace Vosk

#include <functional>

namespace Vosk {

// An undoable change made of steps, done in order and undone in reverse. Copies share the
// steps, so a copy posted to another thread does and undoes the same change.
class CompositeCommand {
public:
    CompositeCommand() = default;
    CompositeCommand(const CompositeCommand&) = default;
    CompositeCommand& operator=(const CompositeCommand&) = default;
    virtual ~CompositeCommand() = default;

    void vAddStep(std::function<void()> doIt, std::function<void()> undoIt);
    // Appends the other command's steps after this one's.
    void vAppend(const CompositeCommand& other);
    bool bIsEmpty() const { return m_vecSteps.empty(); }
    size_t uiStepCount() const { return m_vecSteps.size(); }
    // The context is the engine's and may be null.
    virtual void do_it(void* context);
    virtual void undo_it();

private:
    struct Step {
        std::function<void()> fnDo;
        std::function<void()> fnUndo;
    };
    std::vector<std::shared_ptr<Step>> m_vecSteps;
};

} // namespace Vosk
