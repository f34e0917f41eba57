#include "ProjectFile.h"

#include "Vosk.h"
#include "velmor.h"

#include <QCryptographicHash>
#include <QDir>
#include <cmath>
#include <limits>

namespace standin::projectfile {

namespace {

const QByteArray kPfMagic = QByteArrayLiteral("PLINTRA PROJECT FILE");
const QByteArray kPfChecksumKey = QByteArrayLiteral("checksum=");
// Clip numbers stay far from the end of their type: a clip added later takes the next one.
constexpr unsigned int kuiPfMaximumClipId = 1u << 30;

[[noreturn]] void vPfDamaged(const QString& detail)
{
    throw CW_BadFile(__FILE__, __LINE__, "project file: " + detail.toStdString(),
        ("The project file is damaged and cannot be opened: " + detail + ".").toStdString());
}

QString qstrPfEscape(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

bool bPfUnescape(const QString& value, QString& out)
{
    out.clear();
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (++i >= value.size())
            return false;
        const QChar next = value.at(i);
        if (next == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        else if (next == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (next == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else
            return false;
    }
    return true;
}

QString qstrPfNumber(double value)
{
    return QString::number(value, 'g', 17);
}

QString qstrPfSectionTitle(const Section& section)
{
    return section.qstrArgument.isEmpty() ? QStringLiteral("[%1]").arg(section.qstrKind)
                                          : QStringLiteral("[%1 %2]").arg(section.qstrKind, section.qstrArgument);
}

// ---- Sections. To keep a new part of the model, add a writer and a reader here and one
// row to kPfCodecs; the reader gets every section of its kind, in file order.

void vPfWriteProject(const CW_ProjectRecord& project, std::vector<Section>& out)
{
    Section section {QStringLiteral("project"), QString(), {}};
    section.vAdd(QStringLiteral("current_frame"), QString::number(project.uiCurrentFrame));
    section.vAdd(QStringLiteral("output_absolute"), QString::number(project.bOutputAbsolute ? 1 : 0));
    section.vAdd(QStringLiteral("output_directory"), project.qstrOutputDirectory);
    section.vAdd(QStringLiteral("second_text"), project.qstrSecondText);
    section.vAdd(QStringLiteral("notes"), project.qstrProjectNotes);
    section.vAdd(QStringLiteral("playbar_first"), QString::number(project.iPlaybarFirst));
    section.vAdd(QStringLiteral("playbar_last"), QString::number(project.iPlaybarLast));
    section.vAdd(QStringLiteral("in_point"), QString::number(project.uiPlaybackIn));
    section.vAdd(QStringLiteral("out_point"), QString::number(project.uiPlaybackOut));
    out.push_back(std::move(section));
}

void vPfReadProject(const Section& section, CW_ProjectRecord& project)
{
    project.uiCurrentFrame = section.uiValue(QStringLiteral("current_frame"), 0, kuiMaximumFrames);
    project.bOutputAbsolute = section.bValue(QStringLiteral("output_absolute"));
    project.qstrOutputDirectory = section.qstrValue(QStringLiteral("output_directory"));
    project.qstrSecondText = section.qstrValue(QStringLiteral("second_text"), QString());
    // Files written before notes were kept have none.
    project.qstrProjectNotes = section.qstrValue(QStringLiteral("notes"), QString());
    // Older files show the whole clip (-1).
    const int maximumFrame = int(kuiMaximumFrames);
    if (section.bHas(QStringLiteral("playbar_first")) || section.bHas(QStringLiteral("playbar_last"))) {
        project.iPlaybarFirst = section.iValue(QStringLiteral("playbar_first"), -1, maximumFrame);
        project.iPlaybarLast = section.iValue(QStringLiteral("playbar_last"), -1, maximumFrame);
        if (project.iPlaybarFirst >= 0 && project.iPlaybarLast >= 0 && project.iPlaybarFirst > project.iPlaybarLast)
            vPfDamaged(QStringLiteral("the play bar ends before it begins"));
    }
    // Older files play the whole clip; the out point at the largest number means the last frame.
    if (section.bHas(QStringLiteral("in_point")))
        project.uiPlaybackIn = section.uiValue(QStringLiteral("in_point"), 0, kuiMaximumFrames);
    if (section.bHas(QStringLiteral("out_point"))) {
        const unsigned int whole = std::numeric_limits<unsigned int>::max();
        const unsigned int out = section.uiValue(QStringLiteral("out_point"), 0, whole);
        if (out != whole && out > kuiMaximumFrames)
            vPfDamaged(QStringLiteral("\"out_point\" in [project] is out of range"));
        project.uiPlaybackOut = out;
    }
    if (project.uiPlaybackIn > project.uiPlaybackOut)
        vPfDamaged(QStringLiteral("the in point is after the out point"));
}

void vPfWriteClips(const CW_ProjectRecord& project, std::vector<Section>& out)
{
    for (const auto& [id, base] : project.mapClips) {
        Section section {QStringLiteral("clip"), QString::number(id), {}};
        auto nameIt = project.mapClipNames.find(id);
        section.vAdd(QStringLiteral("name"), nameIt == project.mapClipNames.end() ? QString() : nameIt->second);
        section.vAdd(QStringLiteral("width"), QString::number(base.uiWidth));
        section.vAdd(QStringLiteral("height"), QString::number(base.uiHeight));
        section.vAdd(QStringLiteral("frame_rate"), qstrPfNumber(base.fFrameRate));
        section.vAdd(QStringLiteral("field_mode"), QString::number(base.iFieldMode));
        section.vAdd(QStringLiteral("film_type"), QString::fromStdString(base.filmType.strName));
        section.vAdd(QStringLiteral("film_width"), QString::number(base.filmType.uiWidth));
        section.vAdd(QStringLiteral("film_height"), QString::number(base.filmType.uiHeight));
        section.vAdd(QStringLiteral("frame_aspect"), qstrPfNumber(base.dFrameAspectRatio));
        section.vAdd(QStringLiteral("pixel_aspect"), qstrPfNumber(base.dPixelAspectRatio));
        section.vAdd(QStringLiteral("borders"),
            QStringLiteral("%1 %2 %3 %4")
                .arg(base.uiBorderLeft)
                .arg(base.uiBorderRight)
                .arg(base.uiBorderTop)
                .arg(base.uiBorderBottom));
        section.vAdd(QStringLiteral("colour"),
            QStringLiteral("%1 %2 %3")
                .arg(base.aucDisplayColour[0])
                .arg(base.aucDisplayColour[1])
                .arg(base.aucDisplayColour[2]));
        section.vAdd(QStringLiteral("parent"), QString::number(base.eParentClip));
        section.vAdd(QStringLiteral("first_index"), QString::number(base.iFirstIndex));
        section.vAdd(QStringLiteral("count"), QString::number(base.uiCount));
        section.vAdd(QStringLiteral("frame_offset"), QString::number(base.iFrameOffset));
        section.vAdd(QStringLiteral("timecode_offset"), QString::number(base.iTimecodeOffset));
        section.vAdd(QStringLiteral("proxy_level"), QString::number(base.iProxyLevel));
        section.vAdd(QStringLiteral("image_files"), QString::number(base.uiGetNumImageFilesInClip()));

        auto fileIt = project.mapClipFiles.find(id);
        const CW_ClipInfo clip = fileIt == project.mapClipFiles.end() ? CW_ClipInfo() : fileIt->second;
        section.vAdd(QStringLiteral("folder"), clip.qstrFolder);
        section.vAdd(QStringLiteral("prefix"), clip.qstrFileName);
        section.vAdd(QStringLiteral("postfix"), clip.qstrThirdPart);
        section.vAdd(QStringLiteral("first_file"), QString::number(clip.iFirstFileNumber));
        section.vAdd(QStringLiteral("last_file"), QString::number(clip.iLastFileNumber));
        section.vAdd(QStringLiteral("digits"), QString::number(clip.iThirdNumber));
        section.vAdd(QStringLiteral("movie"), QString::number(clip.bMovie ? 1 : 0));
        section.vAdd(QStringLiteral("image_format"), QString::number(clip.iImageFormat));
        section.vAdd(QStringLiteral("image_type"), QString::number(clip.iImageType));
        section.vAdd(QStringLiteral("file_format"), QString::number(clip.iFileFormat));
        section.vAdd(QStringLiteral("header_info"), clip.qstrHeaderInfo);
        section.vAdd(QStringLiteral("colourspace"),
            QStringLiteral("%1 %2").arg(clip.colourspace.iInputColourspace).arg(clip.colourspace.iOutputColourspace));
        section.vAdd(QStringLiteral("proxy_resolution"), QString::number(clip.iProxyResolution));
        section.vAdd(QStringLiteral("pulldown"), QString::number(clip.bPulldown ? 1 : 0));
        section.vAdd(QStringLiteral("source"), QString::number(clip.bSourceClip ? 1 : 0));
        section.vAdd(QStringLiteral("disposable"), QString::number(clip.bDisposable ? 1 : 0));
        out.push_back(std::move(section));
    }
}

void vPfReadClipSection(const Section& section, CW_ProjectRecord& project)
{
    bool ok = false;
    const CW_CLIP_ID id = section.qstrArgument.toUInt(&ok);
    if (!ok || id == 0 || id > kuiPfMaximumClipId)
        vPfDamaged(QStringLiteral("a clip has no valid number"));
    if (project.mapClips.count(id))
        vPfDamaged(QStringLiteral("clip %1 is recorded twice").arg(id));
    CW_BaseClipInfo base;
    CW_ClipInfo clip;
    QString name;
    vReadClip(section, base, clip, name);
    project.mapClips[id] = base;
    project.mapClipFiles[id] = clip;
    project.mapClipNames[id] = name;
}

struct PfCodec {
    const char* kind;
    void (*write)(const CW_ProjectRecord&, std::vector<Section>&);
    void (*read)(const Section&, CW_ProjectRecord&);
    bool required;
};

const PfCodec kPfCodecs[] = {
    {"project", &vPfWriteProject, &vPfReadProject, true},
    {"clip", &vPfWriteClips, &vPfReadClipSection, true},
    {"listing", &vWriteListing, &vReadListing, false},
    {"layer", &vWriteLayers, &vReadLayer, false},
    {"parameter", &vWriteLayerParameters, &vReadLayerParameter, false},
    {"tracking", &vWriteTrackingParameters, &vReadTrackingParameter, false},
    {"geometry", &vWriteLayerGeometry, &vReadLayerGeometry, false},
    {"sparse", &vWriteSparseClips, &vReadSparseClip, false},
};

// A clip that every clip it descends from exists, and that descends from none of them twice.
void vPfCheckDescent(
    const std::map<CW_CLIP_ID, CW_CLIP_ID>& parents, const CW_ProjectRecord& project, const char* relation)
{
    for (const auto& [clip, parent] : parents) {
        if (parent == 0)
            continue;
        if (parent == clip)
            vPfDamaged(QStringLiteral("clip %1 is its own %2").arg(clip).arg(QLatin1String(relation)));
        if (!project.mapClips.count(parent))
            vPfDamaged(
                QStringLiteral("the %1 of clip %2 is no clip of the project").arg(QLatin1String(relation)).arg(clip));
        // A chain longer than the number of clips goes round in a loop.
        CW_CLIP_ID step = parent;
        for (size_t length = 0; step != 0; ++length) {
            if (length > parents.size())
                vPfDamaged(QStringLiteral("the %1 clips of clip %2 go round in a loop")
                               .arg(QLatin1String(relation))
                               .arg(clip));
            auto next = parents.find(step);
            step = next == parents.end() ? 0 : next->second;
        }
    }
}

// What one section cannot tell: the clips that others name exist.
void vPfCheckReferences(const CW_ProjectRecord& project)
{
    std::map<CW_CLIP_ID, CW_CLIP_ID> parents;
    for (const auto& [id, base] : project.mapClips)
        parents[id] = base.eParentClip;
    vPfCheckDescent(parents, project, "parent");
    for (const auto& [derived, base] : project.mapBaseClips) {
        if (!project.mapClips.count(derived))
            vPfDamaged(
                QStringLiteral("[listing] gives a base clip to clip %1, which is no clip of the project").arg(derived));
    }
    vPfCheckDescent(project.mapBaseClips, project, "base");
    for (const CW_CLIP_ID clip : project.setGarbageMatteClips) {
        if (!project.mapClips.count(clip))
            vPfDamaged(
                QStringLiteral("[listing] names clip %1 a garbage matte, which is no clip of the project").arg(clip));
    }
    const CW_BaseClipInfo& main = project.mapClips.at(1);
    if (main.uiWidth == 0 || main.uiHeight == 0)
        vPfDamaged(QStringLiteral("the main clip has no picture"));
    if (main.uiCount == 0)
        vPfDamaged(QStringLiteral("the main clip has no frames"));
}

std::vector<unsigned int> vecPfNumbers(const QString& text, int count)
{
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != count)
        vPfDamaged(QStringLiteral("a value list has the wrong length"));
    std::vector<unsigned int> numbers;
    for (const QString& part : parts) {
        bool ok = false;
        numbers.push_back(part.toUInt(&ok));
        if (!ok)
            vPfDamaged(QStringLiteral("a value list holds no number"));
    }
    return numbers;
}

} // namespace

void vThrowDamaged(const QString& detail)
{
    vPfDamaged(detail);
}

QString Section::qstrValue(const QString& key) const
{
    for (const auto& [k, v] : vecEntries) {
        if (k == key)
            return v;
    }
    vPfDamaged(QStringLiteral("%1 lacks \"%2\"").arg(qstrPfSectionTitle(*this), key));
}

QString Section::qstrValue(const QString& key, const QString& fallback) const
{
    for (const auto& [k, v] : vecEntries) {
        if (k == key)
            return v;
    }
    return fallback;
}

bool Section::bHas(const QString& key) const
{
    for (const auto& entry : vecEntries) {
        if (entry.first == key)
            return true;
    }
    return false;
}

QString Section::qstrTitle() const
{
    return qstrPfSectionTitle(*this);
}

int Section::iValue(const QString& key, int lowest, int highest) const
{
    const int value = iValue(key);
    if (value < lowest || value > highest)
        vPfDamaged(QStringLiteral("\"%1\" in %2 is out of range").arg(key, qstrPfSectionTitle(*this)));
    return value;
}

unsigned int Section::uiValue(const QString& key, unsigned int lowest, unsigned int highest) const
{
    const unsigned int value = uiValue(key);
    if (value < lowest || value > highest)
        vPfDamaged(QStringLiteral("\"%1\" in %2 is out of range").arg(key, qstrPfSectionTitle(*this)));
    return value;
}

double Section::dFinite(const QString& key, double lowest, double highest) const
{
    const double value = dValue(key);
    if (!std::isfinite(value) || value < lowest || value > highest)
        vPfDamaged(QStringLiteral("\"%1\" in %2 is out of range").arg(key, qstrPfSectionTitle(*this)));
    return value;
}

double Section::dPositive(const QString& key, double highest) const
{
    const double value = dValue(key);
    if (!std::isfinite(value) || !(value > 0.0) || value > highest)
        vPfDamaged(QStringLiteral("\"%1\" in %2 is out of range").arg(key, qstrPfSectionTitle(*this)));
    return value;
}

int Section::iValue(const QString& key) const
{
    bool ok = false;
    const int value = qstrValue(key).toInt(&ok);
    if (!ok)
        vPfDamaged(QStringLiteral("\"%1\" in %2 is not a number").arg(key, qstrPfSectionTitle(*this)));
    return value;
}

unsigned int Section::uiValue(const QString& key) const
{
    bool ok = false;
    const unsigned int value = qstrValue(key).toUInt(&ok);
    if (!ok)
        vPfDamaged(QStringLiteral("\"%1\" in %2 is not a number").arg(key, qstrPfSectionTitle(*this)));
    return value;
}

double Section::dValue(const QString& key) const
{
    bool ok = false;
    const double value = qstrValue(key).toDouble(&ok);
    if (!ok)
        vPfDamaged(QStringLiteral("\"%1\" in %2 is not a number").arg(key, qstrPfSectionTitle(*this)));
    return value;
}

bool Section::bValue(const QString& key) const
{
    return iValue(key, 0, 1) != 0;
}

void vReadClip(const Section& section, CW_BaseClipInfo& base, CW_ClipInfo& clip, QString& name)
{
    const int maximumFrames = int(kuiMaximumFrames);
    name = section.qstrValue(QStringLiteral("name"));
    // No size yet is 0: a clip registered before its images were read, a built-in picture
    // the program lacks. The main clip has one (checked with the whole file).
    base.uiWidth = section.uiValue(QStringLiteral("width"), 0, kuiMaximumImageSide);
    base.uiHeight = section.uiValue(QStringLiteral("height"), 0, kuiMaximumImageSide);
    base.fFrameRate = float(section.dPositive(QStringLiteral("frame_rate"), kdMaximumFrameRate));
    // Progressive, one field first, or one field first with one of five pulldown phases.
    base.iFieldMode = section.iValue(QStringLiteral("field_mode"));
    if (base.iFieldMode < 0 || base.iFieldMode > 12)
        vPfDamaged(QStringLiteral("a clip has an unknown field mode"));
    base.filmType.strName = section.qstrValue(QStringLiteral("film_type")).toStdString();
    const unsigned int maximumAspectNumber = unsigned(std::numeric_limits<int>::max());
    base.filmType.uiWidth = section.uiValue(QStringLiteral("film_width"), 0, maximumAspectNumber);
    base.filmType.uiHeight = section.uiValue(QStringLiteral("film_height"), 0, maximumAspectNumber);
    const double largest = std::numeric_limits<double>::max();
    // 0 when not known, as a clip registered before its size was read holds it.
    base.dFrameAspectRatio = section.dFinite(QStringLiteral("frame_aspect"), 0.0, largest);
    base.dPixelAspectRatio = section.dPositive(QStringLiteral("pixel_aspect"), largest);
    const auto borders = vecPfNumbers(section.qstrValue(QStringLiteral("borders")), 4);
    if (quint64(borders[0]) + borders[1] > base.uiWidth || quint64(borders[2]) + borders[3] > base.uiHeight)
        vPfDamaged(QStringLiteral("the borders of %1 are wider than its frame").arg(section.qstrTitle()));
    base.uiBorderLeft = borders[0];
    base.uiBorderRight = borders[1];
    base.uiBorderTop = borders[2];
    base.uiBorderBottom = borders[3];
    const auto colour = vecPfNumbers(section.qstrValue(QStringLiteral("colour")), 3);
    for (int i = 0; i < 3; ++i) {
        if (colour[i] > 255)
            vPfDamaged(QStringLiteral("a clip colour is out of range"));
        base.aucDisplayColour[i] = static_cast<unsigned char>(colour[i]);
    }
    base.eParentClip = section.uiValue(QStringLiteral("parent"), 0, kuiPfMaximumClipId);
    base.iFirstIndex = section.iValue(QStringLiteral("first_index"), 0, kiMaximumFileNumber);
    base.uiCount = section.uiValue(QStringLiteral("count"), 0, kuiMaximumFrames);
    base.iFrameOffset = section.iValue(QStringLiteral("frame_offset"), -kiMaximumFrameOffset, kiMaximumFrameOffset);
    base.iTimecodeOffset
        = section.iValue(QStringLiteral("timecode_offset"), -kiMaximumFrameOffset, kiMaximumFrameOffset);
    // Full size, half or quarter.
    base.iProxyLevel = section.iValue(QStringLiteral("proxy_level"), 0, 2);
    base.setNumImageFilesInClip(section.uiValue(QStringLiteral("image_files"), 0, kuiMaximumFrames));

    clip.qstrFolder = section.qstrValue(QStringLiteral("folder"));
    clip.qstrFileName = section.qstrValue(QStringLiteral("prefix"));
    clip.qstrThirdPart = section.qstrValue(QStringLiteral("postfix"));
    clip.iFirstFileNumber = section.iValue(QStringLiteral("first_file"), 0, kiMaximumFileNumber);
    clip.iLastFileNumber = section.iValue(QStringLiteral("last_file"), 0, kiMaximumFileNumber);
    if (clip.iLastFileNumber < clip.iFirstFileNumber)
        vPfDamaged(QStringLiteral("a clip ends before it begins"));
    if (clip.iLastFileNumber - clip.iFirstFileNumber >= maximumFrames)
        vPfDamaged(QStringLiteral("%1 holds more files than a clip can").arg(section.qstrTitle()));
    // The width of the zero-padded file number; 0 unpadded, -1 a single file without one.
    clip.iThirdNumber = section.iValue(QStringLiteral("digits"), -1, kiMaximumDigits);
    clip.bMovie = section.bValue(QStringLiteral("movie"));
    // Codes of the image library: format 1 to 10 by file suffix, pixel type up to 12; 0 unset.
    clip.iImageFormat = section.iValue(QStringLiteral("image_format"), 0, 10);
    clip.iImageType = section.iValue(QStringLiteral("image_type"), 0, 12);
    clip.iFileFormat = section.iValue(QStringLiteral("file_format"), 0, 10);
    clip.qstrHeaderInfo = section.qstrValue(QStringLiteral("header_info"));
    const auto colourspace = vecPfNumbers(section.qstrValue(QStringLiteral("colourspace")), 2);
    // Linear, logarithmic or video.
    if (colourspace[0] > 2 || colourspace[1] > 2)
        vPfDamaged(QStringLiteral("\"colourspace\" in %1 is out of range").arg(section.qstrTitle()));
    clip.colourspace.iInputColourspace = int(colourspace[0]);
    clip.colourspace.iOutputColourspace = int(colourspace[1]);
    clip.iProxyResolution = section.iValue(QStringLiteral("proxy_resolution"), 0, 2);
    clip.bPulldown = section.bValue(QStringLiteral("pulldown"));
    clip.bSourceClip = section.bValue(QStringLiteral("source"));
    clip.bDisposable = section.bValue(QStringLiteral("disposable"));
}

QByteArray baWrite(const CW_ProjectRecord& project, unsigned int version)
{
    std::vector<Section> sections;
    for (const PfCodec& codec : kPfCodecs)
        codec.write(project, sections);

    QString text;
    text += QString::fromLatin1(kPfMagic) + QLatin1Char('\n');
    text += QStringLiteral("version %1\n").arg(version);
    text += QStringLiteral("product %1\n").arg(qstrGetProduct());
    for (const Section& section : sections) {
        text += qstrPfSectionTitle(section) + QLatin1Char('\n');
        for (const auto& [key, value] : section.vecEntries)
            text += key + QLatin1Char('=') + qstrPfEscape(value) + QLatin1Char('\n');
    }
    QByteArray bytes = text.toUtf8();
    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
    bytes += kPfChecksumKey + digest + '\n';
    return bytes;
}

bool bParse(const QByteArray& bytes, ParsedFile& parsed, QString& error)
{
    parsed = ParsedFile();
    int lineStart = 0;
    auto nextLine = [&](QByteArray& line) {
        if (lineStart >= bytes.size())
            return false;
        int end = bytes.indexOf('\n', lineStart);
        const bool complete = end >= 0;
        if (!complete)
            end = bytes.size();
        line = bytes.mid(lineStart, end - lineStart);
        lineStart = end + 1;
        return complete;
    };

    QByteArray line;
    if (!nextLine(line) || line != kPfMagic) {
        error = QStringLiteral("not a project file");
        return false;
    }
    if (!nextLine(line) || !line.startsWith("version ")) {
        error = QStringLiteral("the version is missing");
        return false;
    }
    bool ok = false;
    parsed.uiVersion = line.mid(8).toUInt(&ok);
    if (!ok) {
        error = QStringLiteral("the version is not a number");
        return false;
    }
    if (!nextLine(line) || !line.startsWith("product ")) {
        error = QStringLiteral("the product is missing");
        return false;
    }
    parsed.qstrProduct = QString::fromUtf8(line.mid(8));

    // Sections follow. In a file cut short, a line cut in two is dropped; a section cut
    // short lacks keys, which its reader reports.
    std::vector<Section> sections;
    Section current;
    bool inSection = false;
    while (true) {
        const int thisLineStart = lineStart;
        const bool complete = nextLine(line);
        if (!complete) {
            if (inSection)
                sections.push_back(current);
            error = QStringLiteral("the file ends early");
            break;
        }
        if (line.startsWith(kPfChecksumKey)) {
            if (inSection)
                sections.push_back(current);
            const QByteArray expected
                = QCryptographicHash::hash(bytes.left(thisLineStart), QCryptographicHash::Sha1).toHex();
            parsed.bIntact = line.mid(kPfChecksumKey.size()) == expected && lineStart >= bytes.size();
            if (!parsed.bIntact)
                error = QStringLiteral("its checksum does not match its contents");
            break;
        }
        if (line.startsWith('[')) {
            if (!line.endsWith(']')) {
                error = QStringLiteral("a section title is broken");
                break;
            }
            if (inSection)
                sections.push_back(current);
            const QString title = QString::fromUtf8(line.mid(1, line.size() - 2));
            const int space = title.indexOf(QLatin1Char(' '));
            current = Section {space < 0 ? title : title.left(space), space < 0 ? QString() : title.mid(space + 1), {}};
            inSection = true;
            continue;
        }
        const int equals = line.indexOf('=');
        QString value;
        if (!inSection || equals <= 0 || !bPfUnescape(QString::fromUtf8(line.mid(equals + 1)), value)) {
            error = QStringLiteral("a line cannot be read");
            break;
        }
        current.vAdd(QString::fromUtf8(line.left(equals)), value);
    }
    parsed.vecSections = std::move(sections);
    return true;
}

namespace {

// Reads every section into the record; the file is intact and of this version.
void vPfApplyBody(const ParsedFile& parsed, CW_ProjectRecord& project)
{
    const QStringList loadable = qstrGetLoadableProjects(qstrGetProduct()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!loadable.contains(parsed.qstrProduct))
        vPfDamaged(QStringLiteral("it belongs to a product whose projects this program cannot open"));
    for (const Section& section : parsed.vecSections) {
        bool known = false;
        for (const PfCodec& codec : kPfCodecs)
            known = known || section.qstrKind == QLatin1String(codec.kind);
        if (!known)
            vPfDamaged(QStringLiteral("it holds an unknown section [%1]").arg(section.qstrKind));
    }
    for (const PfCodec& codec : kPfCodecs) {
        bool seen = false;
        for (const Section& section : parsed.vecSections) {
            if (section.qstrKind == QLatin1String(codec.kind)) {
                codec.read(section, project);
                seen = true;
            }
        }
        if (codec.required && !seen)
            vPfDamaged(QStringLiteral("it has no [%1] section").arg(QLatin1String(codec.kind)));
    }
    if (!project.mapClips.count(1))
        vPfDamaged(QStringLiteral("it has no main clip"));
    vPfCheckReferences(project);
}

[[noreturn]] void vPfNewerVersion(unsigned int version)
{
    throw CW_BadFile(__FILE__, __LINE__, "project file version " + std::to_string(version),
        "The project was written by a newer version of the program and cannot be opened.");
}

} // namespace

void vApplyToRecord(const ParsedFile& parsed, CW_ProjectRecord& project, const QString& sourceName)
{
    Q_UNUSED(sourceName);
    if (parsed.uiVersion > kuiProjectFileVersion)
        vPfNewerVersion(parsed.uiVersion);
    if (parsed.uiVersion < kuiProjectFileVersion)
        throw CW_BadFile(__FILE__, __LINE__, "project file version " + std::to_string(parsed.uiVersion),
            "The project file is of an old format that cannot be opened.");
    if (!parsed.bIntact)
        vPfDamaged(QStringLiteral("it is incomplete or has been altered"));
    vPfApplyBody(parsed, project);
}

bool bReadHeader(const QByteArray& bytes, HeaderContents& header)
{
    header = HeaderContents();
    ParsedFile parsed;
    QString error;
    if (!bParse(bytes, parsed, error))
        return false;
    header.uiVersion = parsed.uiVersion;
    header.qstrProduct = parsed.qstrProduct;
    if (parsed.uiVersion > kuiProjectFileVersion)
        vPfNewerVersion(parsed.uiVersion);
    CW_ProjectRecord scratch;
    if (parsed.uiVersion < kuiProjectFileVersion) {
        // The opener refuses the version; it may still show what the file records.
        if (!parsed.bIntact)
            return true;
        try {
            vPfApplyBody(parsed, scratch);
        } catch (const CW_Exception&) {
            return true;
        }
    } else {
        vApplyToRecord(parsed, scratch, QString());
    }
    header.bAbsoluteOutput = scratch.bOutputAbsolute;
    header.qstrOutputDirectory = scratch.qstrOutputDirectory;
    header.qstrSecondText = scratch.qstrSecondText;
    // The main clip leads the lists; the map keeps the rest in order.
    for (const auto& [id, base] : scratch.mapClips) {
        header.vecIds.push_back(id);
        header.vecBases.push_back(base);
        header.vecClips.push_back(scratch.mapClipFiles[id]);
    }
    return true;
}

QString qstrClipFilePath(const CW_ClipInfo& clip, int number)
{
    QString index;
    if (clip.iThirdNumber > 0)
        index = QStringLiteral("%1").arg(number, clip.iThirdNumber, 10, QLatin1Char('0'));
    else if (clip.iThirdNumber == 0)
        index = QString::number(number);
    return QDir(clip.qstrFolder).filePath(clip.qstrFileName + index + clip.qstrThirdPart);
}

QString qstrSectionsText(const std::vector<Section>& sections)
{
    QString text;
    for (const Section& section : sections) {
        text += qstrPfSectionTitle(section) + QLatin1Char('\n');
        for (const auto& [key, value] : section.vecEntries)
            text += key + QLatin1Char('=') + qstrPfEscape(value) + QLatin1Char('\n');
    }
    return text;
}

bool bParseSections(const QStringList& lines, std::vector<Section>& sections, QString& error)
{
    sections.clear();
    for (const QString& line : lines) {
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']'))) {
                error = QStringLiteral("a section title is broken");
                return false;
            }
            const QString title = line.mid(1, line.size() - 2);
            const int space = title.indexOf(QLatin1Char(' '));
            sections.push_back(
                Section {space < 0 ? title : title.left(space), space < 0 ? QString() : title.mid(space + 1), {}});
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        QString value;
        if (sections.empty() || equals <= 0 || !bPfUnescape(line.mid(equals + 1), value)) {
            error = QStringLiteral("a line cannot be read");
            return false;
        }
        sections.back().vAdd(line.left(equals), value);
    }
    return true;
}

} // namespace standin::projectfile
