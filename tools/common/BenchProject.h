// The project the benchmarks step and play: the generated sequence registered as clip 1.
#pragma once

#include "common/BenchSequence.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QString>

namespace benchsequence {

inline CW_Instance pBenchProject(const QString& folder, int frames, int width, int height, float rate = 25.0f)
{
    CW_Instance project = standin::testing::pCreateProject();
    CW_BaseClipInfo base;
    base.uiWidth = unsigned(width);
    base.uiHeight = unsigned(height);
    base.uiCount = unsigned(frames);
    base.fFrameRate = rate;
    standin::testing::vRegisterClip(project, 1, base);
    CW_ClipInfo files;
    files.qstrFolder = folder;
    files.qstrFileName = QStringLiteral("bench");
    files.qstrThirdPart = QStringLiteral(".png");
    files.iFirstFileNumber = 1;
    files.iLastFileNumber = frames;
    files.iThirdNumber = 4;
    standin::testing::vSetClipListing(project, 1, QStringLiteral("bench"), files);
    return project;
}

} // namespace benchsequence
