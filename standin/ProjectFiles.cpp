// Opening, saving and closing projects, and the clips and output folder they keep.
#include "ProjectFile.h"
#include "ProjectModel.h"
#include "brandor.h"
#include "testing.h"
#include "velmor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QThread>
#include <algorithm>

using namespace standin;
using namespace standin::projectfile;

namespace {

QMutex g_pfsTestMutex;
std::vector<testing::CleanUpCall> g_pfsCleanUps;
bool g_bPfsRefuseCleanUp = false;
bool g_bPfsCacheOriginal = false;
QMutex g_pfsWriteMutex;
int g_iPfsWritesUnderWay = 0;
int g_iPfsMostWritesAtOnce = 0;
int g_iPfsWriteDelayMs = 0;

// The record of a live project, or CW_Exception. The registry lock must be held.
CW_ProjectRecord& stctPfsProject(CW_Instance project, const char* operation)
{
    if (!ProjectRegistry::instance().bIsLive(project))
        throw CW_Exception("There is no open project.", std::string(operation) + ": invalid handle");
    return *project;
}

void vPfsEnsureManager(CW_ProjectRecord& record)
{
    if (!record.pManager)
        record.pManager = std::make_unique<TOLV_ProjectManager>(&record);
}

// A new live project filled from file bytes; nothing stays registered when it fails.
CW_Instance pPfsOpenFromBytes(const QByteArray& bytes, const QString& sourceName)
{
    ParsedFile parsed;
    QString error;
    if (!bParse(bytes, parsed, error))
        throw CW_BadFile(__FILE__, __LINE__, "pOpenProject: " + error.toStdString(),
            ("The file " + sourceName + " is not a project file.").toStdString());
    auto& registry = ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    CW_Instance project = registry.pCreate();
    try {
        vApplyToRecord(parsed, *project, sourceName);
        vPfsEnsureManager(*project);
    } catch (...) {
        registry.vClose(project);
        throw;
    }
    return project;
}

void vPfsRequireMedia(CW_Instance project, const CW_ClipInfo& clip)
{
    if (!bClipMediaReadable(clip)) {
        const QString path = qstrClipFilePath(clip, clip.iFirstFileNumber);
        ProjectRegistry::instance().vClose(project);
        throw CW_Exception(("The clip " + path + " cannot be read.").toStdString(), "main clip unreadable");
    }
}

} // namespace

namespace standin::testing {
// Counts writes under way, so a test sees whether two ever overlapped.
void vPfsNoteWrite(const QString&)
{
    int delay = 0;
    {
        QMutexLocker lock(&g_pfsTestMutex);
        ++g_iPfsWritesUnderWay;
        g_iPfsMostWritesAtOnce = std::max(g_iPfsMostWritesAtOnce, g_iPfsWritesUnderWay);
        delay = g_iPfsWriteDelayMs;
    }
    if (delay > 0)
        QThread::msleep(static_cast<unsigned long>(delay));
    QMutexLocker lock(&g_pfsTestMutex);
    --g_iPfsWritesUnderWay;
}
} // namespace standin::testing

// ---- Project manager.

QString TOLV_ProjectManager::qstrGetProjectFilePath() const
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    return m_pProject->qstrFilePath;
}

void TOLV_ProjectManager::vSetProjectFilePath(const QString& path)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    m_pProject->qstrFilePath = path;
}

bool TOLV_ProjectManager::bGetPathConfirmed() const
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    return m_pProject->bPathConfirmed;
}

void TOLV_ProjectManager::vSetPathConfirmed(bool confirmed)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    m_pProject->bPathConfirmed = confirmed;
}

void TOLV_ProjectManager::vCheckpointProject(QByteArray& buffer, bool)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    buffer = baWrite(*m_pProject, kuiProjectFileVersion);
}

// ---- Project files.

CW_BOOL bReadProjectFileHeader(CW_CallbackStruct*, const char* pathUtf8, unsigned int& version, QString& product,
    unsigned int& clipCount, std::vector<CW_BaseClipInfo>& baseClips, std::vector<CW_CLIP_ID>& clipIds,
    std::vector<CW_ClipInfo>& clips, bool& absoluteOutput, QString& outputDirectory, QString& secondText)
{
    QByteArray bytes;
    if (!bReadFileBytes(QString::fromUtf8(pathUtf8), bytes))
        return false;
    HeaderContents header;
    if (!bReadHeader(bytes, header))
        return false;
    version = header.uiVersion;
    product = header.qstrProduct;
    baseClips = std::move(header.vecBases);
    clipIds = std::move(header.vecIds);
    clips = std::move(header.vecClips);
    clipCount = unsigned(clipIds.size());
    absoluteOutput = header.bAbsoluteOutput;
    outputDirectory = header.qstrOutputDirectory;
    secondText = header.qstrSecondText;
    return true;
}

CW_BOOL bClipExists(CW_CallbackStruct* callbacks, const char* pathUtf8)
{
    unsigned int version = 0, count = 0;
    QString product, output, second;
    bool absolute = false;
    std::vector<CW_BaseClipInfo> bases;
    std::vector<CW_CLIP_ID> ids;
    std::vector<CW_ClipInfo> clips;
    if (!bReadProjectFileHeader(
            callbacks, pathUtf8, version, product, count, bases, ids, clips, absolute, output, second)
        || clips.empty())
        return false;
    return bClipMediaReadable(clips.front());
}

CW_Instance pOpenProject(CW_CallbackStruct*, const CW_BaseClipInfo* base, const CW_ClipInfo* clip, const QString&,
    void*, void*, const QString&, bool, const char* pathUtf8, int maximumHistorySize, const char*, QXmlErrorHandler&, QWidget*,
    const CW_Color overlayColours[5], ManagerSuite&, bool)
{
    const QString path = QString::fromUtf8(pathUtf8);
    QByteArray bytes;
    if (!bReadFileBytes(path, bytes))
        throw CW_Exception(("The project file " + path + " cannot be read.").toStdString(), "pOpenProject: unreadable");
    CW_Instance project = pPfsOpenFromBytes(bytes, path);
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    if (base)
        project->mapClips[1] = *base;
    if (clip)
        project->mapClipFiles[1] = *clip;
    vPfsRequireMedia(project, project->mapClipFiles[1]);
    project->qstrFilePath = QFileInfo(path).absoluteFilePath();
    vMarkProjectRecordUnchanged(*project);
    if (maximumHistorySize > 0)
        project->uiMaximumHistorySize = static_cast<unsigned int>(maximumHistorySize);
    if (overlayColours)
        std::copy(overlayColours, overlayColours + 5, project->aSelectionColours);
    return project;
}

CW_Instance pOpenProjectFromBuffer(CW_CallbackStruct*, const CW_BaseClipInfo& base, const CW_ClipInfo& clip,
    const QString& clipName, const CW_BaseClipInfo&, const CW_ClipInfo& initialClip, const QString&, bool,
    int maximumHistorySize, const QByteArray& buffer, const char*, QXmlErrorHandler&, QWidget*,
    const CW_Color overlayColours[5])
{
    CW_Instance project = pPfsOpenFromBytes(buffer, QStringLiteral("in memory"));
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    // The relinked clip is the one recorded with the initial description.
    CW_CLIP_ID relinked = 0;
    for (const auto& [id, recorded] : project->mapClipFiles) {
        if (recorded.qstrFolder == initialClip.qstrFolder && recorded.qstrFileName == initialClip.qstrFileName
            && recorded.qstrThirdPart == initialClip.qstrThirdPart) {
            relinked = id;
            break;
        }
    }
    if (relinked == 0) {
        ProjectRegistry::instance().vClose(project);
        throw CW_Exception("The clip to relink is not part of the project.", "pOpenProjectFromBuffer: no clip");
    }
    project->mapClips[relinked] = base;
    project->mapClipFiles[relinked] = clip;
    project->mapClipNames[relinked] = clipName;
    vPfsRequireMedia(project, clip);
    project->bChanged = true;
    if (maximumHistorySize > 0)
        project->uiMaximumHistorySize = static_cast<unsigned int>(maximumHistorySize);
    if (overlayColours)
        std::copy(overlayColours, overlayColours + 5, project->aSelectionColours);
    return project;
}

CW_BOOL bSaveProject(CW_Instance project)
{
    // Writes of one project follow each other: an older copy never lands after a newer one.
    QMutexLocker writeLock(&g_pfsWriteMutex);
    QByteArray bytes;
    QString path;
    std::uint64_t position = 0;
    {
        QMutexLocker lock(&ProjectRegistry::instance().mutex());
        CW_ProjectRecord& record = stctPfsProject(project, "bSaveProject");
        if (record.qstrFilePath.isEmpty())
            return false;
        bytes = baWrite(record, kuiProjectFileVersion);
        path = record.qstrFilePath;
        // A change made while the copy is written is not in the file: it sets bChanged again.
        position = uiHistoryPosition(record);
        record.bChangedBeforeWrite = record.bChanged;
        record.bChanged = false;
    }
    testing::vPfsNoteWrite(path);
    try {
        vWriteFileAtomically(path, bytes);
    } catch (...) {
        QMutexLocker lock(&ProjectRegistry::instance().mutex());
        if (ProjectRegistry::instance().bIsLive(project)) {
            project->bChanged = project->bChanged || project->bChangedBeforeWrite;
            project->bChangedBeforeWrite = false;
        }
        throw;
    }
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    if (ProjectRegistry::instance().bIsLive(project)) {
        project->bChangedBeforeWrite = false;
        project->uiSavedSerial = position;
    }
    return true;
}

CW_Instance pNewProject(CW_CallbackStruct*, const CW_BaseClipInfo* base, const QString& clipName, CW_ClipInfo* clip,
    const QString&, bool, const QString& projectName, bool, const QString& location, int maximumHistorySize,
    const char*, QXmlErrorHandler&, QObject*, const CW_Color[5])
{
    if (!base || !clip || !bClipMediaReadable(*clip) || projectName.isEmpty())
        return nullptr;
    auto& registry = ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    CW_Instance project = registry.pCreate();
    CW_BaseClipInfo stored = *base;
    // The engine keeps the frame count and aspect consistent with what it was given.
    const unsigned int files = unsigned(std::max(0, clip->iLastFileNumber - clip->iFirstFileNumber + 1));
    stored.setNumImageFilesInClip(files);
    stored.iFirstIndex = clip->iFirstFileNumber;
    stored.uiCount = stored.iFieldMode == 1 || stored.iFieldMode == 2 ? files * 2 : files;
    stored.dFrameAspectRatio = stored.uiHeight ? double(stored.uiWidth) / stored.uiHeight : 0.0;
    project->mapClips[1] = stored;
    project->mapClipFiles[1] = *clip;
    project->mapClipNames[1] = clipName;
    project->qstrFilePath =
        QDir(location).absoluteFilePath(projectName + qstrGetFileExtension(qstrGetProduct()));
    if (maximumHistorySize > 0)
        project->uiMaximumHistorySize = static_cast<unsigned int>(maximumHistorySize);
    vMarkProjectRecordUnchanged(*project);
    vPfsEnsureManager(*project);
    return project;
}

CW_BOOL bProjectFileExists(CW_Instance project)
{
    QString path;
    {
        QMutexLocker lock(&ProjectRegistry::instance().mutex());
        path = stctPfsProject(project, "bProjectFileExists").qstrFilePath;
    }
    return !path.isEmpty() && QFileInfo::exists(path);
}

void vSetProjectFileName(CW_Instance project, const QString& path)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    stctPfsProject(project, "vSetProjectFileName").qstrFilePath = path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
}

void vSetUseTimeCode(CW_Instance project, bool useTimeCode)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    stctPfsProject(project, "vSetUseTimeCode").bUseTimeCode = useTimeCode;
}

QString qstrGenerateUniqueClipName(CW_Instance project, const QString& wanted)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    const CW_ProjectRecord& record = stctPfsProject(project, "qstrGenerateUniqueClipName");
    auto taken = [&](const QString& name) {
        for (const auto& entry : record.mapClipNames) {
            if (entry.second == name)
                return true;
        }
        return false;
    };
    if (!taken(wanted))
        return wanted;
    for (int number = 1;; ++number) {
        const QString name = wanted + QString::number(number);
        if (!taken(name))
            return name;
    }
}

QString qstrGetProjectAutoSaveName(CW_Instance project)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    return stctPfsProject(project, "qstrGetProjectAutoSaveName").qstrAutoSaveName;
}

void vSetProjectAutoSaveFileName(CW_Instance project, const QString& autoSaveName, const QString& backupName)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    CW_ProjectRecord& record = stctPfsProject(project, "vSetProjectAutoSaveFileName");
    record.qstrAutoSaveName = autoSaveName;
    record.qstrAutoSaveBackupName = backupName;
}

CW_BOOL bAutoSaveProject(CW_Instance project)
{
    QMutexLocker writeLock(&g_pfsWriteMutex);
    QByteArray bytes;
    QString path;
    {
        QMutexLocker lock(&ProjectRegistry::instance().mutex());
        const CW_ProjectRecord& record = stctPfsProject(project, "bAutoSaveProject");
        if (record.qstrAutoSaveName.isEmpty())
            return false;
        bytes = baWrite(record, kuiProjectFileVersion);
        path = record.qstrAutoSaveName;
    }
    testing::vPfsNoteWrite(path);
    vWriteFileAtomically(path, bytes);
    return true;
}

TOLV_ProjectManager* pGetProjectManager(CW_Instance project)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    if (!ProjectRegistry::instance().bIsLive(project))
        return nullptr;
    vPfsEnsureManager(*project);
    return project->pManager.get();
}

QString qstrGetProjectName(CW_Instance project)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    return stctPfsProject(project, "qstrGetProjectName").qstrFilePath;
}

CW_BOOL bProjectHasChanged(CW_Instance project)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    return bProjectRecordChanged(stctPfsProject(project, "bProjectHasChanged"));
}

void vSetProjectHasChanged(CW_Instance project, bool changed)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    CW_ProjectRecord& record = stctPfsProject(project, "vSetProjectHasChanged");
    if (changed)
        record.bChanged = true;
    else
        vMarkProjectRecordUnchanged(record);
}

// ---- Clips.

CW_CLIP_ID eGetClipID(CW_Instance project, const QString& name)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    for (const auto& [id, clipName] : stctPfsProject(project, "eGetClipID").mapClipNames) {
        if (clipName == name)
            return id;
    }
    return 0;
}

CW_CLIP_ID eRegisterBaseClip(
    CW_Instance project, const QString& name, const CW_BaseClipInfo& base, const CW_ClipInfo& clip)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    CW_ProjectRecord& record = stctPfsProject(project, "eRegisterBaseClip");
    CW_CLIP_ID id = record.mapClips.empty() ? 1 : record.mapClips.rbegin()->first + 1;
    record.mapClips[id] = base;
    record.mapClipFiles[id] = clip;
    record.mapClipNames[id] = name;
    return id;
}

CW_CLIP_ID eRegisterDerivedClip(
    CW_Instance project, CW_CLIP_ID baseClip, const CW_ClipInfo* clip, const QString& name, CW_BOOL)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    CW_ProjectRecord& record = stctPfsProject(project, "eRegisterDerivedClip");
    auto base = record.mapClips.find(baseClip);
    if (base == record.mapClips.end() || !clip)
        throw CW_Exception("The parent clip is not part of the project.", "eRegisterDerivedClip: no base clip");
    CW_BaseClipInfo derived = base->second;
    derived.eParentClip = baseClip;
    const CW_CLIP_ID id = record.mapClips.rbegin()->first + 1;
    record.mapClips[id] = derived;
    record.mapClipFiles[id] = *clip;
    record.mapClipFiles[id].bDerived = true;
    record.mapClipNames[id] = name;
    record.mapBaseClips[id] = baseClip;
    record.bChanged = true;
    return id;
}

const CW_ClipInfo* pcstctGetClipInfo(CW_Instance project, CW_CLIP_ID clip)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    if (!ProjectRegistry::instance().bIsLive(project) || !project->mapClips.count(clip))
        return nullptr;
    return &project->mapClipFiles[clip];
}

void vSetBaseClipInfo(CW_Instance project, CW_CLIP_ID clip, const CW_BaseClipInfo& base)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    CW_ProjectRecord& record = stctPfsProject(project, "vSetBaseClipInfo");
    if (!record.mapClips.count(clip))
        throw CW_Exception("The clip is not part of the project.", "vSetBaseClipInfo: unknown clip");
    record.mapClips[clip] = base;
}

void vSetClipInfo(CW_Instance project, CW_CLIP_ID clip, const CW_ClipInfo& info, void*)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    CW_ProjectRecord& record = stctPfsProject(project, "vSetClipInfo");
    if (!record.mapClips.count(clip))
        throw CW_Exception("The clip is not part of the project.", "vSetClipInfo: unknown clip");
    record.mapClipFiles[clip] = info;
}

QString qstrGetClipName(CW_Instance project, CW_CLIP_ID clip)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    const auto& names = stctPfsProject(project, "qstrGetClipName").mapClipNames;
    auto it = names.find(clip);
    return it == names.end() ? QString() : it->second;
}

void vSetClipName(CW_Instance project, CW_CLIP_ID clip, const QString& name)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    CW_ProjectRecord& record = stctPfsProject(project, "vSetClipName");
    if (!record.mapClips.count(clip))
        throw CW_Exception("The clip is not part of the project.", "vSetClipName: unknown clip");
    record.mapClipNames[clip] = name;
}

std::vector<CW_CLIP_ID> pglGetClipList(CW_Instance project)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    std::vector<CW_CLIP_ID> ids;
    for (const auto& entry : stctPfsProject(project, "pglGetClipList").mapClips)
        ids.push_back(entry.first);
    return ids;
}

CW_BOOL bGetOriginalClipCached(CW_Instance project)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    stctPfsProject(project, "bGetOriginalClipCached");
    // Original images are read from disk on demand; nothing is held in a cache.
    return false;
}

void vSetProxyScale(CW_Instance project, int scale)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    stctPfsProject(project, "vSetProxyScale").iProxyScale = scale;
}

void vSetForceAllocThreshold(CW_Instance project, unsigned int threshold)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    stctPfsProject(project, "vSetForceAllocThreshold").uiForceAllocThreshold = threshold;
}

void vSetMaximumHistorySize(CW_Instance project, unsigned int size)
{
    if (size == 0)
        throw CW_Exception("The undo history must keep at least one step.", "vSetMaximumHistorySize: 0");
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    CW_ProjectRecord& record = stctPfsProject(project, "vSetMaximumHistorySize");
    record.uiMaximumHistorySize = size;
    vTrimUndoHistory(record);
}

unsigned int uiGetMaximumHistorySize(CW_Instance project)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    return stctPfsProject(project, "uiGetMaximumHistorySize").uiMaximumHistorySize;
}

// ---- Output folder.

QString qstrGetOutputDirectory(CW_Instance project)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    return stctPfsProject(project, "qstrGetOutputDirectory").qstrOutputDirectory;
}

CW_BOOL bGetOutputDirectoryAbsolute(CW_Instance project)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    return stctPfsProject(project, "bGetOutputDirectoryAbsolute").bOutputAbsolute;
}

void vSetOutputDirectory(CW_Instance project, bool absolute, const QString& directory)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    CW_ProjectRecord& record = stctPfsProject(project, "vSetOutputDirectory");
    if (record.bOutputAbsolute != absolute || record.qstrOutputDirectory != directory)
        record.bChanged = true;
    record.bOutputAbsolute = absolute;
    record.qstrOutputDirectory = directory;
}

bool bMoveAllClipsToNewDirectory(CW_Instance project, const char* folderUtf8)
{
    standin::vDelayForTest("bMoveAllClipsToNewDirectory");
    const QString folder = QString::fromUtf8(folderUtf8);
    if (!QDir().mkpath(folder))
        throw CW_Exception(("The folder " + folder + " cannot be created.").toStdString(), "move: mkpath");
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    CW_ProjectRecord& record = stctPfsProject(project, "bMoveAllClipsToNewDirectory");
    bool allMoved = true;
    for (auto& [id, clip] : record.mapClipFiles) {
        // Only rendered results live in the output folder; source media stay where they are.
        if (clip.bSourceClip || clip.qstrFolder == QLatin1String("CWK-Resource:Unique?"))
            continue;
        if (QDir(clip.qstrFolder) == QDir(folder))
            continue;
        for (int number = clip.iFirstFileNumber; number <= clip.iLastFileNumber; ++number) {
            const QString from = qstrClipFilePath(clip, number);
            if (!QFile::exists(from))
                continue;
            const QString to = QDir(folder).filePath(QFileInfo(from).fileName());
            QFile::remove(to);
            if (!QFile::rename(from, to) && !(QFile::copy(from, to) && QFile::remove(from)))
                allMoved = false;
        }
        if (allMoved) {
            clip.qstrFolder = QDir(folder).absolutePath() + QLatin1Char('/');
            record.bChanged = true;
        }
    }
    return allMoved;
}

// ---- Close.

CW_BOOL bCleanUpOnProjectClose(CW_Instance project, int save, bool retain, const std::vector<CW_CLIP_ID>& clips)
{
    {
        QMutexLocker testLock(&g_pfsTestMutex);
        g_pfsCleanUps.push_back({save, retain, clips});
        if (g_bPfsRefuseCleanUp)
            return false;
    }
    if (save == 1) {
        QString path;
        {
            QMutexLocker lock(&ProjectRegistry::instance().mutex());
            path = stctPfsProject(project, "bCleanUpOnProjectClose").qstrFilePath;
        }
        if (path.isEmpty())
            throw CW_Exception("The project has never been saved, so it has no file to save into. Use Save As first.",
                "bCleanUpOnProjectClose: no file name");
        bSaveProject(project);
    }
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    CW_ProjectRecord& record = stctPfsProject(project, "bCleanUpOnProjectClose");
    // The cached renders of a clip are its rendered image files; source media are never deleted.
    for (CW_CLIP_ID id : clips) {
        auto it = record.mapClipFiles.find(id);
        if (it == record.mapClipFiles.end() || it->second.bSourceClip
            || it->second.qstrFolder == QLatin1String("CWK-Resource:Unique?"))
            continue;
        for (int number = it->second.iFirstFileNumber; number <= it->second.iLastFileNumber; ++number)
            QFile::remove(qstrClipFilePath(it->second, number));
    }
    return true;
}

// ---- Memory manager.

void BRD_MemoryManager::vSetCacheOriginalClip(bool cache)
{
    QMutexLocker lock(&g_pfsTestMutex);
    g_bPfsCacheOriginal = cache;
}

bool BRD_MemoryManager::bGetCacheOriginalClip() const
{
    QMutexLocker lock(&g_pfsTestMutex);
    return g_bPfsCacheOriginal;
}

BRD_MemoryManager* pGetMemoryManager(int)
{
    static BRD_MemoryManager s_manager;
    return &s_manager;
}

// ---- Test controls.

namespace standin::testing {

CW_Instance pCreateProjectFromClip(const QString& imagePath, const QString& name)
{
    BRD_ImageIO_Router* router = pGetImageIORouter();
    const QByteArray pathUtf8 = imagePath.toUtf8();
    CW_OpenMovieStruct movie {imagePath, {}};
    router->vOpenMovie(movie);
    std::string folder, prefix, postfix, header;
    int first = 0, last = 0, digits = 0, interlace = 0;
    float rate = 0.0f;
    CW_BaseClipInfo base;
    CW_ClipInfo clip;
    const bool valid = router->bIsValidClip(pathUtf8.constData(), 0, clip.colourspace, folder, prefix, postfix, first,
                           last, digits, interlace, rate)
        && router->bGetImageInfo(pathUtf8.constData(), 0, base.uiWidth, base.uiHeight, clip.iImageFormat,
            clip.iImageType, clip.iFileFormat, header);
    router->vCloseMovie(pathUtf8.constData());
    if (!valid)
        throw CW_Exception("The clip " + imagePath.toStdString() + " cannot be read.", "pCreateProjectFromClip");
    clip.qstrFolder = QString::fromStdString(folder);
    clip.qstrFileName = QString::fromStdString(prefix);
    clip.qstrThirdPart = QString::fromStdString(postfix);
    clip.iFirstFileNumber = first;
    clip.iLastFileNumber = last;
    clip.iThirdNumber = digits;
    clip.qstrHeaderInfo = QString::fromStdString(header);
    base.uiCount = unsigned(last - first + 1);
    base.iFirstIndex = first;
    base.setNumImageFilesInClip(base.uiCount);
    base.dFrameAspectRatio = base.uiHeight ? double(base.uiWidth) / base.uiHeight : 0.0;
    base.filmType = CW_FilmTypeFactory::byName("Custom");

    CW_Instance project = ProjectRegistry::instance().pCreate();
    eRegisterBaseClip(project, name, base, clip);
    return project;
}

void vWriteProjectFile(CW_Instance project, const QString& path, unsigned int version)
{
    QByteArray bytes;
    {
        QMutexLocker lock(&ProjectRegistry::instance().mutex());
        bytes = baWrite(stctPfsProject(project, "vWriteProjectFile"), version);
    }
    vWriteFileAtomically(path, bytes);
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    project->qstrFilePath = QFileInfo(path).absoluteFilePath();
}

void vSetProjectFilePath(CW_Instance project, const QString& path)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    stctPfsProject(project, "vSetProjectFilePath").qstrFilePath = path;
}

std::vector<CleanUpCall> vecGetCleanUpCalls()
{
    QMutexLocker lock(&g_pfsTestMutex);
    return g_pfsCleanUps;
}

void vSetCleanUpRefused(bool refused)
{
    QMutexLocker lock(&g_pfsTestMutex);
    g_bPfsRefuseCleanUp = refused;
}

QString g_qstrPfsReadOnlyFolder;

void vSetReadOnlyFolder(const QString& folder)
{
    QMutexLocker lock(&g_pfsTestMutex);
    g_qstrPfsReadOnlyFolder = folder.isEmpty() ? folder : QFileInfo(folder).absoluteFilePath();
}

bool bIsReadOnlyFolder(const QString& folder)
{
    QMutexLocker lock(&g_pfsTestMutex);
    return !g_qstrPfsReadOnlyFolder.isEmpty() && QFileInfo(folder).absoluteFilePath() == g_qstrPfsReadOnlyFolder;
}

void vSetProjectWriteDelay(int milliseconds)
{
    QMutexLocker lock(&g_pfsTestMutex);
    g_iPfsWriteDelayMs = milliseconds;
}

int iGetMostProjectWritesAtOnce()
{
    QMutexLocker lock(&g_pfsTestMutex);
    return g_iPfsMostWritesAtOnce;
}

int iGetProjectWritesUnderWay()
{
    QMutexLocker lock(&g_pfsTestMutex);
    return g_iPfsWritesUnderWay;
}

void vResetProjectFiles()
{
    QMutexLocker lock(&g_pfsTestMutex);
    g_iPfsMostWritesAtOnce = 0;
    g_iPfsWriteDelayMs = 0;
    g_qstrPfsReadOnlyFolder.clear();
    g_pfsCleanUps.clear();
    g_bPfsRefuseCleanUp = false;
    g_bPfsCacheOriginal = false;
    vSetProjectWriteHook({});
}

} // namespace standin::testing
