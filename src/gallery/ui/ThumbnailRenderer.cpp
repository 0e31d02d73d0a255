#include "gallery/ui/ThumbnailRenderer.h"

#include <QPainter>
#include <bit>

#include "platform/FileStamp.h"
#include "platform/PathResolver.h"
#include "render/PictureBox.h"
#include "render/StampText.h"

namespace qm {

namespace {

// Appends raw code units: the key is never shown, and formatting numbers as
// text would cost more than the lookup it serves.
template <typename T>
void AppendRaw(QString& key, T v) {
  static_assert(sizeof(T) % 2 == 0);
  key.append(reinterpret_cast<const QChar*>(&v), static_cast<qsizetype>(sizeof(T) / 2));
}

}  // namespace

ThumbnailDrawing ThumbnailRenderer::Draw(const ThumbnailJob& job) {
  ThumbnailDrawing out;
  const gallery::TemplateRecord& r = job.record;
  const QString path = platform::ResolveRelativePath(job.templateRoot, r.params.Picture);
  if (path.isEmpty()) return out;

  // The box takes the picture's size, plus its border; it keeps the
  // thumbnail's own size only when there is no picture to draw.
  render::PictureBox box(0, 0, job.back, job.dpr);
  box.border = true;
  const render::PictureTone tone = render::ToneOf(r.params);
  // A picture that does not decode leaves the box plain; the template is
  // still there to be applied, with its text. Whether the file is there at
  // all is asked only then: a drawn picture was there.
  if (!render::DrawTemplatePicture(path, box, tone, job.texture, &pictures_)) {
    if (!platform::FileStampOf(path).isFile) return out;
    box.resizeLogical(job.size.width(), job.size.height());
  }
  out.fileFound = true;
  out.tag = gallery::RecordText(r);
  // The text is centred on the inner area, that is on the picture.
  const QRect client = box.client();
  const Layer layer = TextLayer(r.params, job.sampleText, client.size(), box.devicePixelRatio);
  if (!layer.image.isNull() && !box.image.isNull()) {
    QPainter p(&box.image);
    const qreal dpr = layer.image.devicePixelRatio();
    p.translate(client.topLeft());
    p.drawImage(QPointF(layer.at.x() / dpr, layer.at.y() / dpr), layer.image);
  }
  out.logicalSize = box.logicalSize();
  out.image = std::move(box.image);
  return out;
}

ThumbnailRenderer::Layer ThumbnailRenderer::TextLayer(const stamp::StampParams& look,
                                                      const QString& sampleText, const QSize& size,
                                                      qreal dpr) {
  // Fields 1..16 are all the text preview reads of a look. The key is put
  // together by hand: this runs for every thumbnail of every paint.
  QString key;
  key.reserve(look.FontName.size() + sampleText.size() + 40);
  key.append(look.FontName).append(u'\n').append(sampleText).append(u'\n');
  for (const qint16 v : {look.FontStyle, look.FontSize, qint16(look.ShadowAlpha), look.BorderWidth,
                         look.TextOn, look.ShadowOn, look.BorderOn, look.BorderUnder})
    AppendRaw(key, v);
  for (const qint32 v : {look.TextColor, look.ShadowColor, look.BorderColor}) AppendRaw(key, v);
  for (const float v : {look.TextX, look.TextY, look.ShadowX, look.ShadowY}) AppendRaw(key, v);
  AppendRaw(key, qint32(size.width()));
  AppendRaw(key, qint32(size.height()));
  AppendRaw(key, std::bit_cast<quint64>(dpr));
  {
    const QMutexLocker lock(&textMutex_);
    if (const auto it = textLayers_.constFind(key); it != textLayers_.constEnd()) return *it;
  }
  // Drawn outside the lock: two threads that want the same text at once both
  // draw it, which is rarer and cheaper than making every other text wait.
  Layer layer;
  if (!render::StampTextLayer(size, dpr, look, sampleText, layer.image, layer.at)) layer = Layer();
  const QMutexLocker lock(&textMutex_);
  if (textLayerBytes_ + layer.image.sizeInBytes() > kTextLayerBytes) {
    textLayers_.clear();
    textLayerBytes_ = 0;
  }
  if (const auto it = textLayers_.constFind(key); it != textLayers_.constEnd())
    textLayerBytes_ -= it->image.sizeInBytes();
  textLayers_.insert(key, layer);
  textLayerBytes_ += layer.image.sizeInBytes();
  return layer;
}

void ThumbnailRenderer::ClearCaches() {
  pictures_.clear();
  const QMutexLocker lock(&textMutex_);
  textLayers_.clear();
  textLayerBytes_ = 0;
}

}  // namespace qm
