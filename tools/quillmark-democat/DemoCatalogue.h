#pragma once
// The demo catalogue: a few categories of drawn template pictures, the
// transparency texture, and the "Quillmark.ini" that lists them, so that the
// editor shows a real gallery on a machine that has never had one.

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

#include "DemoPictures.h"

namespace qm::democat {

// One template's look, field by field as the record stores it. Colours are
// 0x00RRGGBB; the switches are 0 or 1.
struct DemoLook {
  const char* font;
  int style, size;
  quint32 textColour;
  int textX, textY;
  quint32 shadowColour;
  int shadowX, shadowY, shadowAlpha;
  quint32 borderColour;
  int borderWidth;
  int textOn, shadowOn, borderOn, borderUnder;
  int hue, saturation, value, brightness, transparency;
};

struct DemoTemplate {
  const char* file;  // inside the category directory
  Shape shape;
  int variant;
  QSize size;
  DemoLook look;
  bool rowBreak = false;
  // False for the one template whose picture is left out on purpose, so the
  // gallery's "file missing" box can be seen without breaking anything.
  bool pictureWritten = true;
};

struct DemoCategory {
  QString name;  // the caption in the category list
  QString dir;   // below the template root
  QList<DemoTemplate> templates;
};

const QList<DemoCategory>& DemoCategories();

// The record as the catalogue stores it: field 0 the bare file name, "|1"
// appended when the gallery breaks its row after this template.
QString RecordLine(const DemoTemplate& t);
// The selected look: the first template of the first category, field 0 being
// its path relative to the template root.
QString SelectedLine();
// The whole INI file: UTF-8, CRLF line ends.
QByteArray IniText();

enum class IniPolicy { KeepExisting, Overwrite };

struct WriteResult {
  bool ok = false;
  bool iniKept = false;  // an existing INI file was left as it was
  QString error;
};

// Writes OUTDIR/Tavrel/... (texture and pictures, always) and
// OUTDIR/Quillmark.ini (see IniPolicy; an empty one is not kept), then the
// mark OUTDIR/Tavrel/.complete that says the catalogue is whole. The pictures
// are drawn into a folder beside them and moved into place only once every
// one is whole, so a full disk or a kill never leaves half a catalogue; a
// template root this run made is taken away again when the INI file cannot
// be written.
WriteResult WriteDemoCatalogue(const QString& outDir, IniPolicy policy);

}  // namespace qm::democat
