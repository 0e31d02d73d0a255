#pragma once
// The changes of the look made in this run, for undo and redo.
//
// A step is what one gesture of the user's did: the line before and after it
// and, for a template overwritten with the look, that template's record in
// the INI file before and after. A slider dragged or a key held sends many
// messages; they all carry the same gesture number and make one step. The
// history keeps at most `limit` steps (the oldest go first), lives as long as
// its owner, and nothing but a new change after an undo drops steps (the ones
// that could have been redone).
//
// It only keeps the steps: applying one (sending the line, writing the
// record) is the caller's, which must not record what it applies.

#include <QString>
#include <cstdint>
#include <deque>
#include <optional>

namespace qm {

// One INI value as it was and as it became (the record of a template).
struct RecordChange {
  QString section;
  QString key;
  QString before;
  QString after;
  friend bool operator==(const RecordChange&, const RecordChange&) = default;
};

struct LookStep {
  QString lineBefore;
  QString lineAfter;
  std::optional<RecordChange> record;
  std::uint64_t gesture = 0;  // 0: a change no gesture of the user's made
  friend bool operator==(const LookStep&, const LookStep&) = default;
};

class LookHistory {
 public:
  static constexpr int kDefaultLimit = 200;
  explicit LookHistory(int limit = kDefaultLimit);

  // The line changed from `before` to `after`. A change of the gesture of
  // the step last recorded (not 0) is added to that step; a gesture that
  // ends where it began leaves no step at all.
  void RecordLine(const QString& before, const QString& after, std::uint64_t gesture);
  // A template's record was rewritten while the line was `line`; always a
  // step of its own.
  void RecordTemplate(const QString& line, const RecordChange& record);

  bool CanUndo() const { return at_ > 0; }
  bool CanRedo() const { return at_ < steps_.size(); }
  // The step to take back (apply its "before" side) or to do again (its
  // "after" side); nullopt when there is none.
  std::optional<LookStep> Undo();
  std::optional<LookStep> Redo();
  int Size() const { return static_cast<int>(steps_.size()); }

 private:
  void Push(LookStep step);

  std::deque<LookStep> steps_;
  std::size_t at_ = 0;  // steps_[0, at_) are done
  std::size_t limit_;
  // Whether the last step may still grow: not after an undo or a redo, where
  // the same gesture number would otherwise reach back into an older step.
  bool open_ = false;
};

}  // namespace qm
