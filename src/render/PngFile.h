#pragma once
// Pictures the tools write (a rendered stamp, a thumbnail, an icon): encoded
// in memory first, then stored whole or not at all (see platform/SaveFile.h),
// so a full disk never leaves half a picture under the name asked for.

#include <QImage>
#include <QString>

namespace qm::render {

// Empty when `image` is stored at `path` as a PNG; otherwise why not (in
// English).
QString SavePng(const QImage& image, const QString& path);

}  // namespace qm::render
