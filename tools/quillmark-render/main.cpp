// quillmark-render: draws one gallery thumbnail from a template line, the way
// the gallery shows it (the box's border included), into a PNG file.
//
//   quillmark-render --root DIR --line LINE --out FILE.png [--text TEXT]
//                    [--background N | --texture FILE.png] [--scale R]
//
// Exit status: 0 picture and text drawn; 1 picture drawn, text not (an unknown
// font, for example); 2 bad arguments, a malformed line or an unreadable
// picture.

#include <QBuffer>
#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "platform/Classic.h"
#include "platform/PathResolver.h"
#include "render/Gdip.h"
#include "render/PictureBox.h"
#include "render/PictureRenderer.h"
#include "render/PngFile.h"
#include "render/StampDrawing.h"
#include "render/StampText.h"
#include "stamp/StampParams.h"

namespace {

using namespace qm::render;

constexpr int kOk = kRenderDrawn;
constexpr int kTextNotDrawn = kRenderTextNotDrawn;
constexpr int kBadInput = kRenderBadInput;

int Fail(int status, const QString& message) {
  std::fprintf(stderr, "quillmark-render: %s\n", message.toLocal8Bit().constData());
  return status;
}

// The preview backgrounds, numbered as the gallery's swatch cycles them.
QColor Background(int number) {
  static const QRgb palette[9] = {0xFFFFFF, 0xC0C0C0, 0x80FFFF, 0xC0C0FF, 0x40CCFF,
                                  0xFF0000, 0x0000FF, 0x404040, 0x000000};
  return QColor::fromRgb(palette[number - 1]);
}

int Run(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Draws a template thumbnail into a PNG file."));
  parser.addHelpOption();
  const QCommandLineOption root(QStringLiteral("root"), QStringLiteral("Template root directory."),
                                QStringLiteral("DIR"));
  const QCommandLineOption line(QStringLiteral("line"), QStringLiteral("Template line."),
                                QStringLiteral("LINE"));
  const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Output PNG file."),
                               QStringLiteral("FILE"));
  const QCommandLineOption text(QStringLiteral("text"),
                                QStringLiteral("Sample text (default \"+38\u00B0\")."),
                                QStringLiteral("TEXT"));
  const QCommandLineOption background(QStringLiteral("background"),
                                      QStringLiteral("Background number 1..9 (default 1)."),
                                      QStringLiteral("N"));
  const QCommandLineOption texture(QStringLiteral("texture"),
                                   QStringLiteral("Tile this picture under the template."),
                                   QStringLiteral("FILE"));
  const QCommandLineOption scale(QStringLiteral("scale"),
                                 QStringLiteral("Device pixel ratio (default 1)."),
                                 QStringLiteral("R"));
  parser.addOptions({root, line, out, text, background, texture, scale});
  if (!parser.parse(arguments)) return Fail(kBadInput, parser.errorText());
  if (parser.isSet(QStringLiteral("help"))) {
    std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
    return kOk;
  }
  if (!parser.positionalArguments().isEmpty())
    return Fail(kBadInput,
                QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments()[0]));
  for (const auto* o : {&root, &line, &out})
    if (!parser.isSet(*o))
      return Fail(kBadInput, QStringLiteral("--%1 is required").arg(o->names()[0]));
  if (parser.isSet(background) && parser.isSet(texture))
    return Fail(kBadInput, QStringLiteral("--background and --texture exclude each other"));

  int backgroundNumber = 1;
  if (parser.isSet(background)) {
    const auto n = qm::classic::ToInt32(parser.value(background));
    if (!n || *n < 1 || *n > 9)
      return Fail(kBadInput, QStringLiteral("--background must be a number from 1 to 9"));
    backgroundNumber = *n;
  }
  qreal dpr = 1.0;
  if (parser.isSet(scale)) {
    const auto r = qm::classic::ToNumber(parser.value(scale));
    if (!r || !(*r >= 0.25 && *r <= 8))
      return Fail(kBadInput, QStringLiteral("--scale must be a number from 0.25 to 8"));
    dpr = *r;
  }

  TextureSource textureSource;
  if (parser.isSet(texture)) {
    QFile file(parser.value(texture));
    if (!file.open(QIODevice::ReadOnly))
      return Fail(kBadInput, QStringLiteral("cannot read texture \"%1\"").arg(file.fileName()));
    textureSource.bytes = file.readAll();
    textureSource.TextureLoaded = true;
    textureSource.TextureEnabled = true;
    std::unique_ptr<QBuffer> stream;
    if (!BytesToStream(textureSource.bytes, stream) || ReadPictureBounded(*stream).isNull())
      std::fprintf(stderr, "quillmark-render: texture \"%s\" is not a picture; drawn without it\n",
                   file.fileName().toLocal8Bit().constData());
  }

  // A catalogue record may carry a row-break field after the 22 of the look;
  // it says nothing about how the thumbnail looks.
  QString templateLine = parser.value(line);
  if (templateLine.count(u'|') == qm::stamp::kFieldCount)
    templateLine.truncate(templateLine.lastIndexOf(u'|'));
  QString error;
  const auto params = qm::stamp::ParseLine(templateLine, &error);
  if (!params) return Fail(kBadInput, QStringLiteral("malformed line: ") + error);
  const QString picturePath =
      qm::platform::ResolveRelativePath(parser.value(root), params->Picture);
  if (picturePath.isEmpty())
    return Fail(kBadInput, QStringLiteral("picture \"%1\" is not a path below the template root")
                               .arg(params->Picture));

  if (!GdipStart()) return Fail(kBadInput, QStringLiteral("Error loading GDI+!"));
  PictureBox box(1, 1, Background(backgroundNumber), dpr);
  const StampDrawing drawing =
      DrawStamp(parser.value(root), *params, parser.value(text), box, textureSource);
  GdipStop();
  if (!drawing.pictureDrawn)
    return Fail(kBadInput, QStringLiteral("cannot read picture \"%1\"").arg(picturePath));

  if (const QString why = qm::render::SavePng(box.image, parser.value(out)); !why.isEmpty())
    return Fail(kBadInput, QStringLiteral("cannot write \"%1\": %2").arg(parser.value(out), why));
  if (drawing.text != StampTextResult::Drawn)
    return Fail(kTextNotDrawn, StampTextProblem(drawing.text, params->FontName));
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  PrepareHeadlessDrawing("quillmark-render");
  QGuiApplication app(argc, argv);
  return Run(QGuiApplication::arguments());
}
