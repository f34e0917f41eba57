// Fuzz target of the project-file reader: the header read (which reads and checks the whole
// file, as opening it does) and the section reader of layer files, on any bytes.
#include "brandor.h"
#include "standin/ProjectFile.h"
#include "velmor.h"

#include <QCryptographicHash>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

// The bytes with the checksum line the program would have written for them, so that
// mutations reach past the checksum into the values.
QByteArray baSealed(QByteArray bytes)
{
    const int at = bytes.lastIndexOf("checksum=");
    if (at >= 0)
        bytes.truncate(at);
    return bytes + "checksum=" + QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex() + '\n';
}

// Values at the edges of the ranges numbers are read into, and not numbers at all.
const char* const kszEdgeValues[] = {"0", "-1", "1", "2", "3", "12", "13", "255", "256", "65535", "65536", "67108864",
    "1073741824", "2147483647", "-2147483648", "2147483648", "4294967295", "4294967296", "18446744073709551615", "nan",
    "inf", "-inf", "1e30", "-1e30", "1e-310", "-0", "0.5", "x", ""};

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

} // namespace

// Half of the mutations set one value of a "key=value" line to an edge value: the damage a
// byte-level mutation seldom makes whole, and the one a reader of numbers has to meet.
extern "C" std::size_t LLVMFuzzerCustomMutator(
    std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned int seed)
{
    std::minstd_rand random(seed);
    if (random() % 2 == 0) {
        std::vector<std::size_t> values;
        for (std::size_t i = 1; i < size; ++i) {
            if (data[i] == '=' && data[i - 1] != '\n')
                values.push_back(i + 1);
        }
        if (!values.empty()) {
            const std::size_t start = values[random() % values.size()];
            std::size_t end = start;
            while (end < size && data[end] != '\n')
                ++end;
            const std::string edge = kszEdgeValues[random() % (sizeof kszEdgeValues / sizeof *kszEdgeValues)];
            const std::size_t newSize = size - (end - start) + edge.size();
            if (newSize <= maxSize) {
                std::vector<std::uint8_t> mutated(data, data + start);
                mutated.insert(mutated.end(), edge.begin(), edge.end());
                mutated.insert(mutated.end(), data + end, data + size);
                std::copy(mutated.begin(), mutated.end(), data);
                return newSize;
            }
        }
    }
    return LLVMFuzzerMutate(data, size, maxSize);
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    vSetProduct(QStringLiteral("plintra"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > std::size_t(standin::projectfile::kiMaximumProjectFileSize))
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));

    // The bytes as they are, and sealed.
    for (const QByteArray& file : {bytes, baSealed(bytes)}) {
        standin::projectfile::HeaderContents header;
        try {
            standin::projectfile::bReadHeader(file, header);
        } catch (const CW_Exception&) {
            // A refusal is an answer; a crash, a hang or a runaway allocation is not.
        }
        // Where the opener looks for each clip's first and last image.
        for (const CW_ClipInfo& clip : header.vecClips) {
            standin::projectfile::qstrClipFilePath(clip, clip.iFirstFileNumber);
            standin::projectfile::qstrClipFilePath(clip, clip.iLastFileNumber);
        }
    }

    std::vector<standin::projectfile::Section> sections;
    QString error;
    standin::projectfile::bParseSections(QString::fromUtf8(bytes).split(QLatin1Char('\n')), sections, error);
    CW_ProjectRecord scratch;
    try {
        for (const standin::projectfile::Section& section : sections) {
            if (section.qstrKind == QLatin1String("layer"))
                standin::projectfile::vReadLayer(section, scratch);
            else if (section.qstrKind == QLatin1String("parameter"))
                standin::projectfile::vReadLayerParameter(section, scratch);
        }
    } catch (const CW_Exception&) {
    }
    return 0;
}

// Parameters tell the user interface through the image library's call-back record when they
// go; no user interface listens here, so the record stays empty.
CW_CallbackStruct* pstctBRD_GetCallbackStruct()
{
    static CW_CallbackStruct s_callbacks;
    return &s_callbacks;
}
