// The stand-in's own reading of its tracking XML, so that what the export writes can be
// taken back in.
#pragma once

#include "ProjectModel.h"

#include <QString>
#include <map>
#include <optional>

namespace standin {

struct TrackingXml {
    QString qstrLayer;
    unsigned int uiWidth = 0;
    unsigned int uiHeight = 0;
    double dPixelAspect = 1.0;
    // Frame number (as the user sees it) to the four corners, image pixels, y down.
    std::map<int, SurfaceCorners> mapCorners;
};

// Empty when the text is not tracking XML or holds values out of bounds.
std::optional<TrackingXml> optReadTrackingXml(const QString& text);

// Whether files of the type can be written with that image format (0 grey, 1 grey and
// alpha, 2 RGB, 3 RGBA) and pixel type (1 8-bit, 3 16-bit, 8 float).
bool bCanWriteImageType(const QString& extension, int imageFormat, int pixelType);

} // namespace standin
