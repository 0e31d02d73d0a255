#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>
#include <QTemporaryDir>

#include "render/PictureBox.h"
#include "render/PictureRenderer.h"
#include "render/RenderTestSupport.h"
#include "render/StampText.h"

namespace qm::render {
namespace {

// Whole thumbnails as the gallery draws them: the toned picture over the
// background or texture, then the sample text. The references were drawn by
// this code once and checked by eye.
struct Look {
  const char* name;
  test::FieldChanges fields;
  bool texture = false;
  qreal dpr = 1.0;
};

class GoldenTest : public ::testing::TestWithParam<Look> {
 protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    test::MakePicture(100, 50).save(dir_->filePath("pic.png"));
    QBuffer buffer(&texture_);
    buffer.open(QIODevice::WriteOnly);
    test::MakeTexture(0xFFD8D8D8, 0xFF9A9A9A, 6, 12).save(&buffer, "PNG");
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static QTemporaryDir* dir_;
  static QByteArray texture_;
};
QTemporaryDir* GoldenTest::dir_ = nullptr;
QByteArray GoldenTest::texture_;

TEST_P(GoldenTest, LooksAsBefore) {
  const Look& look = GetParam();
  const QString line = test::Line(look.fields);
  const auto tone = test::ToneOfLine(line);
  ASSERT_TRUE(tone);
  TextureSource texture;
  texture.bytes = texture_;
  texture.TextureLoaded = true;
  texture.TextureEnabled = look.texture;
  PictureBox box(1, 1, QColor(0x40, 0xCC, 0xFF), look.dpr);
  ASSERT_TRUE(DrawTemplatePicture(dir_->filePath("pic.png"), box, *tone, texture));
  ASSERT_TRUE(test::DrawLine(box, line, {}));
  EXPECT_TRUE(test::MatchesGolden(box.image, QString::fromLatin1(look.name)));
}

// Shadow: dark grey, 3 right and 3 down, opacity 160. Border: blue, width 3.
#define SHADOW \
  {14, "1"}, {7, "&H303030"}, {8, "3"}, {9, "-3"}, { 10, "160" }
INSTANTIATE_TEST_SUITE_P(
    Looks, GoldenTest,
    ::testing::Values(Look{"shadow_only", {SHADOW}}, Look{"border_under", {{15, "1"}, {16, "1"}}},
                      Look{"border_over", {{15, "1"}, {16, "0"}}},
                      Look{"border_over_shadow", {{15, "1"}, SHADOW}},
                      Look{"text_fill_off", {{13, "0"}, {15, "1"}, SHADOW}},
                      Look{"offsets_positive", {{5, "15"}, {6, "10"}, SHADOW}},
                      Look{"offsets_negative", {{5, "-15"}, {6, "-10"}, SHADOW}},
                      Look{"texture_on", {{21, "50"}}, true},
                      Look{"texture_off", {{21, "50"}}, false}, Look{"tone_hue_180", {{17, "180"}}},
                      Look{"tone_hue_minus_90", {{17, "-90"}}},
                      Look{"tone_saturation_0", {{18, "0"}}},
                      Look{"tone_saturation_200", {{18, "200"}}}, Look{"tone_value_0", {{19, "0"}}},
                      Look{"tone_value_200", {{19, "200"}}},
                      Look{"tone_brightness_minus_100", {{20, "-100"}}},
                      Look{"tone_brightness_100", {{20, "100"}}},
                      Look{"tone_transparency_100", {{21, "100"}}, true},
                      Look{"liberation_bold_italic_underline",
                           {{1, "Liberation Sans"}, {2, "7"}, {3, "26"}, {15, "1"}, {12, "1"}}},
                      Look{"hidpi_2x", {{15, "1"}, SHADOW}, false, 2.0}),
    [](const auto& info) { return std::string(info.param.name); });
#undef SHADOW

}  // namespace
}  // namespace qm::render
