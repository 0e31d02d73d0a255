#include "render/StampDrawing.h"

#include <cstdio>

#include "platform/PathResolver.h"
#include "render/PictureBox.h"

namespace qm::render {

StampDrawing DrawStamp(const QString& templateRoot, const stamp::StampParams& params,
                       const QString& sampleText, PictureBox& box, const TextureSource& texture,
                       PictureCache* cache) {
  StampDrawing out;
  const QString path = platform::ResolveRelativePath(templateRoot, params.Picture);
  if (path.isEmpty()) return out;
  out.pictureDrawn = DrawTemplatePicture(path, box, ToneOf(params), texture, cache);
  if (!out.pictureDrawn) return out;
  // The text goes into the box's inner area, as in the gallery.
  out.text = DrawStampText(box, params, sampleText);
  return out;
}

QString StampTextProblem(StampTextResult result, const QString& fontName) {
  switch (result) {
    case StampTextResult::FontNotFound:
      return QStringLiteral(
                 "font \"%1\" is not installed (or has no regular style); text not drawn")
          .arg(fontName);
    case StampTextResult::FontSizeInvalid:
      return QStringLiteral("the font size is not a usable size; text not drawn");
    case StampTextResult::NoSurface:
      return QStringLiteral("cannot paint on the picture; text not drawn");
    default:
      return QStringLiteral("text not drawn");
  }
}

namespace {
const char* g_headlessProgram = "";
}  // namespace

void PrepareHeadlessDrawing(const char* programName) {
  g_headlessProgram = programName;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
      std::fprintf(stderr, "%s: %s\n", g_headlessProgram, message.toLocal8Bit().constData());
  });
}

}  // namespace qm::render
