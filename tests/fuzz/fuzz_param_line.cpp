// The parameter line: parsing any text, and applying any message to a valid
// line. A line that parses writes back to a line that parses to the same look;
// a message that is applied leaves a valid 22-field line.
#include <QStringList>

#include "FuzzSupport.h"
#include "stamp/ParamLine.h"
#include "stamp/StampParams.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = fuzz::Text(data, size);
  if (const auto p = stamp::ParseLine(text)) {
    const QString written = stamp::LineText(*p);
    const auto again = stamp::ParseLine(written);
    fuzz::Check(again.has_value(), "a written line parses", written);
    fuzz::Check(*again == *p, "a written line reads back as the same look", written);
  }
  // The input as a message to a valid line, and, split at its first line
  // break, as a line with a message applied to it.
  const QString fallback = stamp::DefaultLine(QStringLiteral("DejaVu Sans"));
  const qsizetype nl = text.indexOf(u'\n');
  const QString line = nl < 0 ? fallback : text.left(nl);
  const QString message = nl < 0 ? text : text.mid(nl + 1);
  if (const auto r = stamp::ApplyMessage(line, message, fallback)) {
    fuzz::Check(stamp::IsValidLine(r->line), "an applied message leaves a valid line", r->line);
    fuzz::Check(stamp::SplitFields(r->line).size() == 22, "22 fields", r->line);
    fuzz::Check(*stamp::ParseLine(r->line) == r->params, "the typed copy matches the line",
                r->line);
  }
  for (int index = -1; index <= 21; ++index) (void)stamp::ValueFits(index, message);
  return 0;
}
