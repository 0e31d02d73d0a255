#pragma once
// The template pictures of the demo catalogue, drawn rather than stored: the
// repository holds no binary pictures, and drawing them keeps every one of
// them reproducible from the source.
//
// Each picture is partly transparent on purpose (soft edges, translucent
// fills, an open middle in the frames), so that the gallery's tone sliders and
// its preview background both have something visible to act on.

#include <QImage>
#include <QSize>

namespace qm::democat {

enum class Shape { Cloud, Wave, Drop, Badge, Star, Shield, Leaf, Ribbon, Frame };

// A picture of `size` pixels, fully transparent outside the shape. `variant`
// picks the colours and details within the shape's family; the same arguments
// always give the same pixels.
QImage DrawPicture(Shape shape, int variant, QSize size);

// The checkered transparency texture tiled under the thumbnails: opaque light
// and dark grey squares of `square` pixels, two by two.
QImage DrawCheckerTexture(int square = 8);

}  // namespace qm::democat
