// The project file's section that keeps the discrete frames of sparse clips:
//
//   [sparse 3]                   3: the clip's id
//   sparse=1
//   derived=0
//   all_frames=0
//   count=2
//   frame_0=12 /shots/a/plate.0013.png
//   frame_1=40 /shots/a/plate.0041.png
#include "ProjectFile.h"

#include "velmor.h"

#include <cstring>

namespace standin::projectfile {

void vWriteSparseClips(const CW_ProjectRecord& project, std::vector<Section>& out)
{
    for (const auto& [id, clip] : project.mapClipFiles) {
        if (!clip.bSparse && !clip.bSparseDerived && clip.vecDiscreteFrames.empty())
            continue;
        Section section {QStringLiteral("sparse"), QString::number(id), {}};
        section.vAdd(QStringLiteral("sparse"), QString::number(clip.bSparse ? 1 : 0));
        section.vAdd(QStringLiteral("derived"), QString::number(clip.bSparseDerived ? 1 : 0));
        section.vAdd(QStringLiteral("all_frames"), QString::number(clip.bAllFrames ? 1 : 0));
        section.vAdd(QStringLiteral("count"), QString::number(clip.vecDiscreteFrames.size()));
        for (size_t i = 0; i < clip.vecDiscreteFrames.size(); ++i) {
            const CW_DiscreteFrame& frame = clip.vecDiscreteFrames[i];
            section.vAdd(QStringLiteral("frame_%1").arg(i),
                QStringLiteral("%1 %2").arg(frame.iFrame).arg(QString::fromUtf8(frame.acPath)));
        }
        out.push_back(std::move(section));
    }
}

void vReadSparseClip(const Section& section, CW_ProjectRecord& project)
{
    bool ok = false;
    const CW_CLIP_ID id = section.qstrArgument.toUInt(&ok);
    if (!ok || !project.mapClipFiles.count(id))
        vThrowDamaged(QStringLiteral("a sparse clip names no clip of the project"));
    CW_ClipInfo& clip = project.mapClipFiles[id];
    clip.bSparse = section.bValue(QStringLiteral("sparse"));
    clip.bSparseDerived = section.bValue(QStringLiteral("derived"));
    clip.bAllFrames = section.bValue(QStringLiteral("all_frames"));
    const unsigned int count = section.uiValue(QStringLiteral("count"));
    if (count > unsigned(kiMaximumDiscreteFrames))
        vThrowDamaged(QStringLiteral("a sparse clip has too many frames"));
    clip.vecDiscreteFrames.clear();
    for (unsigned int i = 0; i < count; ++i) {
        const QString value = section.qstrValue(QStringLiteral("frame_%1").arg(i));
        const int space = value.indexOf(QLatin1Char(' '));
        const int frame = space > 0 ? value.left(space).toInt(&ok) : -1;
        const QByteArray path = value.mid(space + 1).toUtf8();
        if (space <= 0 || !ok || frame < 0 || path.isEmpty() || size_t(path.size()) >= CW_DiscreteFrame::kuiPathBytes)
            vThrowDamaged(QStringLiteral("a chosen frame of a sparse clip cannot be read"));
        CW_DiscreteFrame record;
        std::memcpy(record.acPath, path.constData(), size_t(path.size()));
        record.iFrame = frame;
        clip.vecDiscreteFrames.push_back(record);
    }
}

} // namespace standin::projectfile
