// The template catalogue from any INI file: loading never fails, stays within
// its limits, and every record it keeps is a look that writes back to a line
// the catalogue would read again as the same record.
#include "FuzzSupport.h"
#include "gallery/Catalogue.h"
#include "platform/ProfileFile.h"
#include "stamp/StampParams.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString path = fuzz::ScratchIni(fuzz::Bytes(data, size));
  if (path.isEmpty()) return 0;
  const platform::ProfileSnapshot snap = platform::ProfileSnapshot::Load(path);
  int progressCalls = 0;
  const gallery::Catalogue cat = gallery::LoadCatalogue(
      [&](const QString& s, const QString& k) { return snap.Read(s, k, QString()); },
      [&](int done, int total) {
        ++progressCalls;
        fuzz::Check(done >= 1 && done <= total, "progress within its total");
      });
  fuzz::Check(cat.categories.size() == cat.captions.size(), "a caption per category");
  fuzz::Check(cat.categories.size() <= gallery::kMaxCategories, "at most 41 categories");
  for (int i = 0; i < cat.categories.size(); ++i) {
    const gallery::Category& c = cat.categories[i];
    fuzz::Check(c.templates.size() <= gallery::kMaxTemplates, "at most 80 templates");
    for (const gallery::TemplateRecord& r : c.templates) {
      const QString tag = gallery::RecordText(r);
      fuzz::Check(stamp::ParseLine(tag).has_value(), "a kept record writes a valid line", tag);
      // Its catalogue line (bare file name and row break) reads back the same.
      const auto line = gallery::CatalogueLine(r.File(), tag, r.RowBreak);
      fuzz::Check(line.has_value(), "a kept record has a catalogue line", tag);
      const auto again = gallery::ParseRecordLine(c.path, *line, r.picKey);
      fuzz::Check(again.has_value() && *again == r, "a catalogue line reads back", *line);
    }
  }
  return 0;
}
