// Base types shared by the engine libraries: handles, identifiers, clip descriptions,
// the engine checkpoint and the exception types.
#pragma once

#include <QMetaType>
#include <QSize>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

class QMutex;
class QRecursiveMutex;

using CW_BOOL = bool;

// Opaque project handle; only the engine looks inside.
struct CW_ProjectRecord;
using CW_Instance = CW_ProjectRecord*;
// Signals carry the handle as it is; nothing outside the engine looks inside.
Q_DECLARE_OPAQUE_POINTER(CW_Instance)

using CW_CLIP_ID = unsigned int;

enum CW_MODULE {
    CW_MODULE_SYSTEM = 0,
    CW_MODULE_CLIP = 1,
    CW_MODULE_LENS = 3,
    CW_MODULE_TRACK = 5,
    CW_MODULE_ADJUSTTRACK = 6,
    CW_MODULE_REMOVE = 7,
    CW_MODULE_STABILIZE = 8,
    CW_MODULE_MATTE = 9,
    CW_MODULE_SPLINEMATTE = 11,
    CW_MODULE_ADDGRAIN = 12,
    CW_MODULE_REMOVEGRAIN = 13,
    CW_MODULE_MATCHGRAIN = 14,
    CW_MODULE_INSERT = 15,
    CW_MODULE_PATCH = 16,
    CW_MODULE_WARPER = 17,
    CW_MODULE_CONCEAL = 18,
    CW_MODULE_COLOUR = 19,
    CW_MODULE_MARKUP = 20,
    CW_MODULE_CLOSEDCAPTION = 21,
    CW_MODULE_CURVEEDITOR = 22,
    // No page is current: no module id, so the engine allows it nothing.
    CW_MODULE_NONE = -1
};

// Overlay components in the engine's order.
enum CW_SELECTION_COMPONENT {
    CW_SELECTION_POINT = 0,
    CW_SELECTION_SELECTED_LAYER = 1,
    CW_SELECTION_UNSELECTED_LAYER = 2,
    CW_SELECTION_RENDERED_LAYER = 3,
    CW_SELECTION_SWITCHED_OFF_POINT = 4
};

struct CW_Color {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

// A checkpoint on the engine mutex: it waits until no other thread holds the mutex and
// returns with it free. With a re-entrant mutex, a thread that holds it passes at once.
class CW_AutoLock {
public:
    CW_AutoLock(QMutex* mutex, const char* tag);
    CW_AutoLock(QRecursiveMutex* mutex, const char* tag);
};

class CW_Exception : public std::exception {
public:
    explicit CW_Exception(std::string userMessage, std::string developerMessage = std::string());
    const std::string& strUserMessage() const { return m_strUser; }
    const std::string& strDeveloperMessage() const { return m_strDeveloper; }
    const char* what() const noexcept override { return m_strUser.c_str(); }

private:
    std::string m_strUser;
    std::string m_strDeveloper;
};

class CW_BadFile : public CW_Exception {
public:
    CW_BadFile(const char* sourceFile, int sourceLine, std::string developerMessage, std::string userMessage);
    const std::string& strSourceFile() const { return m_strSourceFile; }
    int iSourceLine() const { return m_iSourceLine; }

private:
    std::string m_strSourceFile;
    int m_iSourceLine;
};

struct CW_ColourspaceParameters {
    int iInputColourspace = 0;
    int iOutputColourspace = 0;
    bool bConvertToFloat = false;
    bool bConvertTo8Bit = false;
    float fOffset = 0.0f;
    float fLogRefBlack = 95.0f;
    float fLogRefWhite = 685.0f;
    float fSoftclip = 0.0f;
    float fGamma = 1.0f;
    bool bConversionRequired() const { return iInputColourspace != iOutputColourspace; }
};

struct CW_FilmType {
    std::string strName;
    unsigned int uiWidth = 0;
    unsigned int uiHeight = 0;
};

class CW_FilmTypeFactory {
public:
    static std::vector<std::string> getAllNames();
    // Unknown names give the "Custom" type.
    static CW_FilmType byName(const std::string& name);
    // The type whose frame is this size (a field-based size counts twice its height);
    // "Custom" with zero aspect numbers when none is.
    static CW_FilmType bestMatchForSize(const QSize& size, bool fields);
    // A "Custom" type whose aspect numbers give this pixel aspect ratio at this size.
    static CW_FilmType customTypeForParAndDims(double pixelAspectRatio, const QSize& size, bool fields);
};

enum CW_FIELD_MODE { CW_PROGRESSIVE = 0, CW_UPPER_FIELD_FIRST = 1, CW_LOWER_FIELD_FIRST = 2 };

// What a clip is: size, timing, aspect and where it sits in the project.
struct CW_BaseClipInfo {
    unsigned int uiWidth = 0;
    unsigned int uiHeight = 0;
    float fFrameRate = 25.0f;
    int iFieldMode = CW_PROGRESSIVE;
    CW_FilmType filmType;
    double dFrameAspectRatio = 0.0;
    double dPixelAspectRatio = 1.0;
    unsigned int uiBorderLeft = 0;
    unsigned int uiBorderRight = 0;
    unsigned int uiBorderTop = 0;
    unsigned int uiBorderBottom = 0;
    unsigned char aucDisplayColour[3] = {255, 255, 255};
    CW_CLIP_ID eParentClip = 0;
    int iFirstIndex = 0;
    unsigned int uiCount = 0;
    int iFrameOffset = 0;
    int iTimecodeOffset = 0;
    int iProxyLevel = 0;

    // iFieldMode is the interlace mode: 0 progressive, 1 upper and 2 lower field first,
    // 3 to 7 upper and 8 to 12 lower field first with a 3:2 pulldown phase.
    bool bIsUpperFieldFirst() const { return iFieldMode == 1 || (iFieldMode >= 3 && iFieldMode <= 7); }
    bool bIs32Pulldown() const { return iFieldMode >= 3 && iFieldMode <= 12; }
    void setFilmType(const CW_FilmType& type) { filmType = type; }

    void setNumImageFilesInClip(unsigned int count) { m_uiNumImageFiles = count; }
    unsigned int uiGetNumImageFilesInClip() const { return m_uiNumImageFiles; }

private:
    unsigned int m_uiNumImageFiles = 0;
};

// One chosen frame of a sparse clip: the image file that stands for an engine frame index.
// The layout is the engine's: a 1000-byte NUL-terminated UTF-8 path, then the index.
struct CW_DiscreteFrame {
    static constexpr std::size_t kuiPathBytes = 1000;
    char acPath[kuiPathBytes] = {};
    std::int32_t iFrame = 0;
};
static_assert(sizeof(CW_DiscreteFrame) == 1004, "the engine's discrete-frame record is 1004 bytes");

// What a rendered clip or rendered shapes export writes; the render dialog fills one
// program-wide record and the engine reads it.
struct CW_ExportClipInfo {
    static constexpr int kiMaxLayers = 1000;

    CW_CLIP_ID eClip = 0;
    CW_CLIP_ID eRevertClip = 0;
    bool bSaveColour = false;
    bool bMattes = false;
    bool bSaveAlpha = false;
    bool bPulldown = false;
    bool bAfterPulldown = false;
    unsigned int uiIndexStart = 0;
    unsigned int uiStartFrame = 0;
    unsigned int uiEndFrame = 0;
    unsigned int uiIndexWidth = 0;
    int iInterlaceMode = 0;
    // 0 grey, 1 grey with alpha, 2 RGB, 3 RGBA.
    int iImageFormat = 0;
    int iPixelType = 0;
    // Layer ids for mattes, ended by -1.
    int aiLayers[kiMaxLayers + 1] = {-1};
    bool bLast = false;

    void setClipPath(const QString& text) { m_qstrPath = text; }
    void setClipPrefix(const QString& text) { m_qstrPrefix = text; }
    void setClipSuffix(const QString& text) { m_qstrSuffix = text; }
    void setClipExtension(const QString& text) { m_qstrExtension = text; }
    QString getClipPath() const { return m_qstrPath; }
    QString getClipPrefix() const { return m_qstrPrefix; }
    QString getClipSuffix() const { return m_qstrSuffix; }
    QString getClipExtension() const { return m_qstrExtension; }

private:
    QString m_qstrPath;
    QString m_qstrPrefix;
    QString m_qstrSuffix;
    QString m_qstrExtension;
};

// Image formats with and without their alpha channel.
int tam_image_format_with_alpha(int format);
int tam_image_format_without_alpha(int format);

// Where a clip's images live and how they are stored.
struct CW_ClipInfo {
    QString qstrFolder;
    QString qstrFileName;     // numbered files: the part before the number
    QString qstrThirdPart;    // the part after the number, usually the suffix
    int iFirstFileNumber = 0;
    int iLastFileNumber = 0;
    int iThirdNumber = 0;     // digits of the frame number, 0 when not padded
    bool bMovie = false;
    int iImageFormat = 0;
    int iImageType = 0;
    int iFileFormat = 0;
    QString qstrHeaderInfo;
    CW_ColourspaceParameters colourspace;
    int iProxyResolution = 0;
    bool bPulldown = false;
    // Set when the new-project dialog hands the description over.
    bool bSelected = false;
    // A sparse clip shows the image of a chosen frame's record at that frame (with
    // bAllFrames, the first record's image at every frame) instead of its numbered files.
    // bSparseDerived marks a clip made from chosen frames of another clip.
    bool bSparse = false;
    bool bAllFrames = false;
    bool bSparseDerived = false;
    std::vector<CW_DiscreteFrame> vecDiscreteFrames;

    // An input clip rather than a rendered result; disposable clips are deleted on close.
    bool bSourceClip = true;
    bool bDisposable = false;
    // Listing marks the clip choosers test: a clip kept out of every list, a clip the
    // engine derived from another one, and a further listing mark of the engine's own.
    bool bExcludedFromLists = false;
    bool bDerived = false;
    bool bSecondListingMark = false;
};
