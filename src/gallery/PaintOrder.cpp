#include "gallery/PaintOrder.h"

namespace qm::gallery {

bool PaintSchedule::Ask() {
  if (!painting_) return true;
  startOver_ = true;
  return false;
}

PaintSchedule::Next PaintSchedule::RoundEnded(bool closed) {
  if (!closed && startOver_) return Next::StartOver;
  // What was asked while the window closed is not drawn: the next paint
  // draws the state it finds.
  painting_ = false;
  startOver_ = false;
  return closed ? Next::Stop : Next::Finish;
}

}  // namespace qm::gallery
