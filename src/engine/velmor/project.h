// Project files, project clips and the close of a project.
#pragma once

#include "../cwbase.h"

#include <QByteArray>
#include <QString>
#include <vector>

struct CW_CallbackStruct;
class QWidget;
class QXmlErrorHandler;
class TOLV_ProjectManager;

// Format version the engine writes; older files are refused by the program.
constexpr unsigned int kuiProjectFileVersion = 2018;

// Reads the header of a project file: its format version, two values the program passes
// over, the clips recorded in it and the output folder. False when the file cannot be
// read, is larger than any project or is no project file. A file of the current version is
// checked whole, checksum first, as opening it would: a damaged one, or one of a newer
// version, throws CW_BadFile with the user's message.
CW_BOOL bReadProjectFileHeader(CW_CallbackStruct* callbacks, const char* pathUtf8, unsigned int& version,
    QString& product, unsigned int& clipCount, std::vector<CW_BaseClipInfo>& baseClips,
    std::vector<CW_CLIP_ID>& clipIds, std::vector<CW_ClipInfo>& clips, bool& absoluteOutput, QString& outputDirectory,
    QString& secondText);
// Whether the media of the project's main clip can be read; throws as the header read does.
CW_BOOL bClipExists(CW_CallbackStruct* callbacks, const char* pathUtf8);

// The engine's manager slots; every one takes the library's default.
template <typename T> class OptionalPointer {
public:
    explicit OptionalPointer(bool useDefault)
        : m_bUseDefault(useDefault)
    {
    }
    bool bUsesDefault() const { return m_bUseDefault; }

private:
    bool m_bUseDefault;
};
class TOLV_ErrorHandler;
class ImageIOManagerItf;
class TOLV_CacheManager;
class TOLV_FrameManager;
class TOLV_SelectionManager;
class TOLV_PreProcManager;
class TOLV_PostProcManager;
class TOLV_ToolManager;
class TOLV_ParameterManager;
class TOLV_CommandManager;
class TOLV_ProgressDialog;
class TOLV_MessageBox;
struct ManagerSuite {
    OptionalPointer<TOLV_ErrorHandler> errorHandler {true};
    OptionalPointer<ImageIOManagerItf> imageIO {true};
    OptionalPointer<TOLV_CacheManager> cache {true};
    OptionalPointer<TOLV_FrameManager> frames {true};
    OptionalPointer<TOLV_SelectionManager> selection {true};
    OptionalPointer<TOLV_PreProcManager> preProc {true};
    OptionalPointer<TOLV_PostProcManager> postProc {true};
    OptionalPointer<TOLV_ToolManager> tools {true};
    OptionalPointer<TOLV_ParameterManager> parameters {true};
    OptionalPointer<TOLV_CommandManager> commands {true};
    unsigned int uiReserved1 = 0;
    unsigned int uiReserved2 = 0;
    OptionalPointer<TOLV_ProgressDialog> progress {true};
    OptionalPointer<TOLV_MessageBox> messageBox {true};
};

// Opens a project file. Throws CW_BadFile when the file is damaged or of a version the
// engine cannot read, CW_Exception when its media cannot be read.
CW_Instance pOpenProject(CW_CallbackStruct* callbacks, const CW_BaseClipInfo* base, const CW_ClipInfo* clip,
    const QString& secondText, void* reserved1, void* reserved2, const QString& productNameAndVersion,
    bool alternateProduct, const char* pathUtf8, int maximumHistorySize, const char* resourcesFolderUtf8,
    QXmlErrorHandler& errorHandler, QWidget* mainWindow, const CW_Color overlayColours[5], ManagerSuite& managers,
    bool flag);
// Opens a project from the bytes of a project file or a checkpoint, with its main clip
// replaced by the given description.
CW_Instance pOpenProjectFromBuffer(CW_CallbackStruct* callbacks, const CW_BaseClipInfo& base, const CW_ClipInfo& clip,
    const QString& clipName, const CW_BaseClipInfo& initialBase, const CW_ClipInfo& initialClip,
    const QString& productNameAndVersion, bool alternateProduct, int maximumHistorySize, const QByteArray& buffer,
    const char* resourcesFolderUtf8, QXmlErrorHandler& errorHandler, QWidget* mainWindow,
    const CW_Color overlayColours[5]);
// Writes the project to its file; false when it has no file name.
CW_BOOL bSaveProject(CW_Instance project);

TOLV_ProjectManager* pGetProjectManager(CW_Instance project);
// The project file's full path; empty before the first save.
QString qstrGetProjectName(CW_Instance project);
CW_BOOL bProjectHasChanged(CW_Instance project);
void vSetProjectHasChanged(CW_Instance project, bool changed);

// Clips by name and description.
CW_CLIP_ID eGetClipID(CW_Instance project, const QString& name);
CW_CLIP_ID eRegisterBaseClip(
    CW_Instance project, const QString& name, const CW_BaseClipInfo& base, const CW_ClipInfo& clip);
const CW_ClipInfo* pcstctGetClipInfo(CW_Instance project, CW_CLIP_ID clip);
void vSetBaseClipInfo(CW_Instance project, CW_CLIP_ID clip, const CW_BaseClipInfo& base);
void vSetClipInfo(CW_Instance project, CW_CLIP_ID clip, const CW_ClipInfo& info, void* macroCommand);
QString qstrGetClipName(CW_Instance project, CW_CLIP_ID clip);
void vSetClipName(CW_Instance project, CW_CLIP_ID clip, const QString& name);
std::vector<CW_CLIP_ID> pglGetClipList(CW_Instance project);
CW_BOOL bGetOriginalClipCached(CW_Instance project);
CW_BOOL bGetUseTimeCode(CW_Instance project);

void vSetProxyScale(CW_Instance project, int scale);
void vSetForceAllocThreshold(CW_Instance project, unsigned int threshold);
// How many undo steps the project keeps; the oldest go first.
void vSetMaximumHistorySize(CW_Instance project, unsigned int size);
unsigned int uiGetMaximumHistorySize(CW_Instance project);

// Values the user settings push into an open project.
// The extension of new result clips, with its leading full stop ("." + "tif").
void vSetDefaultFileExtension(CW_Instance project, const char* extensionUtf8);
// One of the five overlay colours (CW_SELECTION_COMPONENT), components 0 to 1.
void vSetSelectionColor(CW_Instance project, int component, CW_BOOL redraw, const CW_Color& colour);
// The weight and tangent length that new spline points get.
void vSetContourModelDefaults(CW_Instance project, double xSplineWeight, double bezierLength);
// Program-wide: comprehensive (true) or normal error detection.
void vSetEnableFullErrorDetection(CW_CallbackStruct* callbacks, CW_BOOL comprehensive);

// Output folder of rendered clips: absolute, or relative to the main clip's folder.
QString qstrGetOutputDirectory(CW_Instance project);
CW_BOOL bGetOutputDirectoryAbsolute(CW_Instance project);
void vSetOutputDirectory(CW_Instance project, bool absolute, const QString& directory);
// Moves the image files of every rendered clip into the folder and points the clips there.
bool bMoveAllClipsToNewDirectory(CW_Instance project, const char* folderUtf8);

// Before a close: saves when asked (save 1), and deletes the cached renders of the listed
// clips unless retained. False when the engine refuses.
CW_BOOL bCleanUpOnProjectClose(CW_Instance project, int save, bool retain, const std::vector<CW_CLIP_ID>& clips);

class QObject;
// Creates a project around a clip, registered as clip 1 under clipName, with the file
// location/projectName plus the product's extension (not yet written). Null when the
// clip's media cannot be read.
CW_Instance pNewProject(CW_CallbackStruct* callbacks, const CW_BaseClipInfo* base, const QString& clipName,
    CW_ClipInfo* clip, const QString& productNameAndVersion, bool alternateProduct, const QString& projectName,
    bool flag, const QString& location, int maximumHistorySize, const char* resourcesFolderUtf8,
    QXmlErrorHandler& errorHandler, QObject* mainWindow, const CW_Color overlayColours[5]);
// Whether the project has a file name and that file is on disk.
CW_BOOL bProjectFileExists(CW_Instance project);
// The file the next save writes.
void vSetProjectFileName(CW_Instance project, const QString& path);
void vSetUseTimeCode(CW_Instance project, bool useTimeCode);
// A clip name no clip of the project has: the wanted one, else with a number appended.
QString qstrGenerateUniqueClipName(CW_Instance project, const QString& wanted);
// Auto-save: the copy the project writes at intervals, leaving its own file and its changed
// flag alone. bAutoSaveProject is false when no auto-save name was set.
QString qstrGetProjectAutoSaveName(CW_Instance project);
void vSetProjectAutoSaveFileName(CW_Instance project, const QString& autoSaveName, const QString& backupName);
CW_BOOL bAutoSaveProject(CW_Instance project);
// Registers a clip derived from a base clip: it takes the base clip's frame description.
CW_CLIP_ID eRegisterDerivedClip(
    CW_Instance project, CW_CLIP_ID baseClip, const CW_ClipInfo* clip, const QString& name, CW_BOOL flag);
