#pragma once
// Start and stop of the drawing backend around a batch of drawing. QPainter
// needs no global start-up, so a start succeeds unless a test has made it fail;
// the starts are counted so that nested batches pair up. Showing a message when
// the start fails is the caller's job (the window), not this module's.

namespace qm::render {

// True when drawing may begin; every successful start is paired with one stop.
bool GdipStart();
void GdipStop();

// Number of starts not yet stopped.
int GdipStartCount();

// Makes every following GdipStart fail (true) or succeed again (false).
void SetGdipStartFailsForTesting(bool fails);

// Makes GdipStart fail for as long as it lives, however the test ends.
class GdipStartFailsForTesting {
 public:
  GdipStartFailsForTesting() { SetGdipStartFailsForTesting(true); }
  ~GdipStartFailsForTesting() { SetGdipStartFailsForTesting(false); }
  GdipStartFailsForTesting(const GdipStartFailsForTesting&) = delete;
  GdipStartFailsForTesting& operator=(const GdipStartFailsForTesting&) = delete;
};

}  // namespace qm::render
