#include "session/LookHistory.h"

#include <algorithm>
#include <utility>

namespace qm {

LookHistory::LookHistory(int limit) : limit_(static_cast<std::size_t>(std::max(limit, 1))) {}

void LookHistory::RecordLine(const QString& before, const QString& after, std::uint64_t gesture) {
  if (before == after) return;
  if (open_ && gesture != 0 && at_ > 0 && at_ == steps_.size()) {
    LookStep& last = steps_.back();
    if (last.gesture == gesture && !last.record) {
      last.lineAfter = after;
      if (last.lineAfter == last.lineBefore) {
        steps_.pop_back();
        --at_;
        open_ = false;
      }
      return;
    }
  }
  Push(LookStep{before, after, std::nullopt, gesture});
}

void LookHistory::RecordTemplate(const QString& line, const RecordChange& record) {
  if (record.before == record.after) return;
  Push(LookStep{line, line, record, 0});
}

void LookHistory::Push(LookStep step) {
  // A new change after an undo: what could have been done again is gone.
  steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(at_), steps_.end());
  steps_.push_back(std::move(step));
  while (steps_.size() > limit_) steps_.pop_front();
  at_ = steps_.size();
  open_ = steps_.back().gesture != 0;
}

std::optional<LookStep> LookHistory::Undo() {
  open_ = false;
  if (at_ == 0) return std::nullopt;
  return steps_[--at_];
}

std::optional<LookStep> LookHistory::Redo() {
  open_ = false;
  if (at_ >= steps_.size()) return std::nullopt;
  return steps_[at_++];
}

}  // namespace qm
