#pragma once
// Helpers shared by the rendering tests: template lines, test pictures, ink
// probes and golden-image comparison.

#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

class QPainter;

namespace qm::render {
struct PictureBox;
struct PictureTone;
}  // namespace qm::render

namespace qm::render::test {

// A complete 22-field line: DejaVu Sans 30 px, red text, black shadow (off),
// blue border of width 3 (off), text fill on, neutral tone, with the given
// fields replaced.
using FieldChanges = std::vector<std::pair<int, QString>>;
QString Line(const FieldChanges& changes = {});
QStringList Fields(const FieldChanges& changes = {});

// A whole line drawn as the gallery draws its look: parsed by the one line
// parser, then drawn; false when the line is refused or the text not drawn.
bool DrawLine(PictureBox& box, const QString& line, const QString& sample);
bool DrawLine(QPainter& painter, const QSize& size, const QString& line, const QString& sample);
// The tone of a whole line; nullopt when the line is refused.
std::optional<PictureTone> ToneOfLine(const QString& line);

// A w x h picture: a horizontal colour ramp whose right third is half
// transparent, so that tone and background both show.
QImage MakePicture(int w, int h);
// A checkerboard texture of 8-pixel squares in two colours.
QImage MakeTexture(QRgb a = 0xFFE0C020, QRgb b = 0xFF2060A0, int square = 8, int size = 16);

// Bounding rectangle of the pixels that differ from `background` by more than
// `threshold` in any channel; null when none do.
QRect InkBounds(const QImage& image, QRgb background, int threshold = 40);

// `image` moved by (dx, dy) with `fill` coming in at the edges.
QImage Shifted(const QImage& image, int dx, int dy, QRgb fill);

// Largest difference of any channel between the two images (same size
// required; a size mismatch counts as 255).
int MaxChannelDifference(const QImage& a, const QImage& b);

// Compares `actual` with tests/data/render/<name>.png. Pixels may differ by a
// few levels (antialiasing differs between rasterisers); a small share may
// differ more. On failure the actual image and a diff image are written to a
// temporary directory and the message names them. With QM_UPDATE_GOLDEN=1 in
// the environment the reference is (re)written instead.
::testing::AssertionResult MatchesGolden(const QImage& actual, const QString& name);

}  // namespace qm::render::test
