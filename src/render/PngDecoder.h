#pragma once
// The common template picture, an 8-bit RGB or RGBA PNG, decoded straight
// into the 32-bit form the toning and the painter take, with a whole-buffer
// inflater: in a cold gallery the decoding is most of the work, and this
// takes about two thirds of the time of Qt's reader.

#include <QByteArray>
#include <QImage>
#include <optional>

namespace qm::render {

// The picture in `bytes` as Qt's own PNG reader gives it (Format_ARGB32 for
// RGBA, Format_RGB32 for RGB, the same pixels and resolution), or nothing
// when the file is of another kind, carries anything beyond pixels and
// resolution (colour space, transparency key, text, offset, unknown chunks),
// or is damaged in any way: the caller then asks Qt's reader, which decides
// what such a file gives. Dimensions are checked by the caller before.
std::optional<QImage> DecodeCommonPng(const QByteArray& bytes);

}  // namespace qm::render
