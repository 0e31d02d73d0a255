#pragma once
// The picture tone adjustment as a 5 x 5 colour matrix applied to straight
// (not premultiplied) ARGB pixels. A row vector (R, G, B, A, 1) is multiplied
// by the matrix: output channel j = sum over i of input i x m[i][j], with the
// channels in 0..1 of full scale; the results are rounded and clamped to
// 0..255. The kernel works on plain pixel rows so that it can be tested and
// measured without any drawing surface.

#include <QImage>
#include <QRgb>
#include <array>
#include <cstddef>

namespace qm::render {

struct ColourMatrix {
  // m[input][output]; inputs and outputs are R, G, B, A and the constant 1.
  std::array<std::array<float, 5>, 5> m{};

  static ColourMatrix Identity();
  // The tone matrix: hue rotation in radians, saturation and value factors,
  // brightness offset in units of full scale, opacity factor for alpha.
  static ColourMatrix Tone(float hue, float saturation, float value, float brightness,
                           float opacity);

  bool operator==(const ColourMatrix&) const = default;
};

// Transforms `count` straight ARGB32 pixels from `src` into `dst` (which may be
// the same buffer).
void ApplyColourMatrix(const ColourMatrix& matrix, const QRgb* src, QRgb* dst, std::size_t count);

// The same with a chosen kernel (the vector kernels exist for x86-64 only);
// false, and nothing done, when this processor cannot run it.
enum class ColourKernel { Best, Scalar, Avx2, Avx512 };
bool ApplyColourMatrixWith(ColourKernel kernel, const ColourMatrix& matrix, const QRgb* src,
                           QRgb* dst, std::size_t count);

// The plain one-pixel-at-a-time form of the same arithmetic; the fast kernel
// must agree with it exactly.
QRgb ApplyColourMatrixReference(const ColourMatrix& matrix, QRgb pixel);

// A copy of `image` in straight ARGB32 with every pixel transformed. A null
// image gives a null image.
QImage ApplyColourMatrix(const ColourMatrix& matrix, const QImage& image);

}  // namespace qm::render
