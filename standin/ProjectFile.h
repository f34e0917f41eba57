// The project file: the whole project model as text sections behind a version header,
// closed by a checksum line so that a cut or altered file is recognised.
//
// Layout:
//   PLINTRA PROJECT FILE
//   version 2018
//   product plintra
//   [project]
//   key=value
//   [clip 1]
//   key=value
//   ...
//   checksum=<SHA-1 of every byte before this line>
//
// Every part of the model has its own section kind, written and read by one pair of
// functions in the codec table of ProjectFile.cpp.
#pragma once

#include "ProjectModel.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace standin::projectfile {

struct Section {
    QString qstrKind; // "project", "clip", ...
    QString qstrArgument; // e.g. the clip id; may be empty
    std::vector<std::pair<QString, QString>> vecEntries;

    void vAdd(const QString& key, const QString& value) { vecEntries.emplace_back(key, value); }
    // The value of a key; throws CW_BadFile when it is missing.
    QString qstrValue(const QString& key) const;
    QString qstrValue(const QString& key, const QString& fallback) const;
    bool bHas(const QString& key) const;
    int iValue(const QString& key) const;
    unsigned int uiValue(const QString& key) const;
    double dValue(const QString& key) const;
    // 0 or 1; anything else is damage.
    bool bValue(const QString& key) const;
    // Numbers that must lie within their meaning's range; CW_BadFile otherwise.
    int iValue(const QString& key, int lowest, int highest) const;
    unsigned int uiValue(const QString& key, unsigned int lowest, unsigned int highest) const;
    // Finite and above zero, at most highest; finite within the bounds.
    double dPositive(const QString& key, double highest) const;
    double dFinite(const QString& key, double lowest, double highest) const;
    // The title as the file writes it, for messages: "[clip 2]".
    QString qstrTitle() const;
};

// What one number of the file may be: the bounds every reader checks against, so that no
// value read from a file reaches arithmetic, a loop or an allocation unchecked.
constexpr unsigned int kuiMaximumImageSide = 1u << 16;
constexpr unsigned int kuiMaximumFrames = 1u << 26;
constexpr int kiMaximumFileNumber = 1 << 30;
constexpr int kiMaximumFrameOffset = 1 << 30;
constexpr int kiMaximumDigits = 10;
constexpr double kdMaximumFrameRate = 1000.0;
// The largest file that can be a project; larger ones are refused before they are read.
constexpr qint64 kiMaximumProjectFileSize = 256LL * 1024 * 1024;

struct ParsedFile {
    unsigned int uiVersion = 0;
    QString qstrProduct;
    std::vector<Section> vecSections;
    // The checksum line was present and matched.
    bool bIntact = false;
};

// The project as file bytes.
QByteArray baWrite(const CW_ProjectRecord& project, unsigned int version);
// Reads the header and as many whole sections as the bytes hold. False when the bytes are
// not a project file at all (no header); the error names what is wrong.
bool bParse(const QByteArray& bytes, ParsedFile& parsed, QString& error);
// Fills a fresh record from a parsed file that must be intact and of a readable version;
// throws CW_BadFile naming the fault otherwise.
void vApplyToRecord(const ParsedFile& parsed, CW_ProjectRecord& project, const QString& sourceName);

// The clip descriptions as the file keeps them, for the header read.
void vReadClip(const Section& section, CW_BaseClipInfo& base, CW_ClipInfo& clip, QString& name);

// What the header read gives the opener.
struct HeaderContents {
    unsigned int uiVersion = 0;
    QString qstrProduct;
    // The main clip first.
    std::vector<CW_BaseClipInfo> vecBases;
    std::vector<CW_CLIP_ID> vecIds;
    std::vector<CW_ClipInfo> vecClips;
    bool bAbsoluteOutput = false;
    QString qstrOutputDirectory;
    QString qstrSecondText;
};
// Reads the header from file bytes. False when the bytes are no project file. A file of
// this version is read whole and checked, checksum first, exactly as opening it would, so
// a damaged file is refused here with CW_BadFile before anything is closed for it; a
// newer version throws too. An older version gives its version and, when it is intact and
// reads, its clips.
bool bReadHeader(const QByteArray& bytes, HeaderContents& header);

// Sections as the project file writes them, and lines read back into sections (empty
// lines skipped); false with the error when a line cannot be read.
QString qstrSectionsText(const std::vector<Section>& sections);
bool bParseSections(const QStringList& lines, std::vector<Section>& sections, QString& error);

// File access (ProjectFileIO.cpp). Reads a whole file; false when it cannot be read or is
// larger than a project can be, which is told before anything is read.
bool bReadFileBytes(const QString& path, QByteArray& bytes);
// Writes atomically: a temporary file that replaces the target only when complete.
// Throws CW_Exception when it cannot be written.
void vWriteFileAtomically(const QString& path, const QByteArray& bytes);

// Path of one image file of a clip; number is the file number.
QString qstrClipFilePath(const CW_ClipInfo& clip, int number);
// Whether the first image of the clip can be read; resource clips always can. File access,
// like the two above (ProjectFileIO.cpp).
bool bClipMediaReadable(const CW_ClipInfo& clip);

// Throws CW_BadFile: "The project file is damaged and cannot be opened: <detail>."
[[noreturn]] void vThrowDamaged(const QString& detail);

// The clip listing, the layers and their parameters (ProjectFileLayers.cpp). Layers are
// read before their parameters, so every row of these follows the clips in the table.
void vWriteListing(const CW_ProjectRecord& project, std::vector<Section>& out);
void vReadListing(const Section& section, CW_ProjectRecord& project);
void vWriteLayers(const CW_ProjectRecord& project, std::vector<Section>& out);
void vReadLayer(const Section& section, CW_ProjectRecord& project);
void vWriteLayerParameters(const CW_ProjectRecord& project, std::vector<Section>& out);
void vReadLayerParameter(const Section& section, CW_ProjectRecord& project);
// Each layer's tracking parameters (ProjectFileLayers.cpp) and its shape, surface and
// reference frame (ProjectFileGeometry.cpp); read after the layers.
void vWriteTrackingParameters(const CW_ProjectRecord& project, std::vector<Section>& out);
void vReadTrackingParameter(const Section& section, CW_ProjectRecord& project);
void vWriteLayerGeometry(const CW_ProjectRecord& project, std::vector<Section>& out);
void vReadLayerGeometry(const Section& section, CW_ProjectRecord& project);

// The discrete frames of sparse clips (ProjectFileSparse.cpp); read after the clips.
// Most discrete frames a clip keeps (a record each).
constexpr int kiMaximumDiscreteFrames = 100000;
void vWriteSparseClips(const CW_ProjectRecord& project, std::vector<Section>& out);
void vReadSparseClip(const Section& section, CW_ProjectRecord& project);

} // namespace standin::projectfile
