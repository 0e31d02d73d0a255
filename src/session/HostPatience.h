#pragma once
// How long the editor waits for the host's answer to one message.
//
// A host that answers gets the link's whole bound for every message. One
// that let a message pass the bound unanswered is taken for hung: from then
// on each message gets only a glance, until one is answered again; the host
// is then due the whole line, since it may have missed changes meanwhile.
// Within one user action (until the event loop runs again) the waits
// together never exceed the bound, however many messages the action sends:
// the window never freezes longer than that for one action.

#include "platform/link/LinkSender.h"

namespace qm {

class HostPatience {
 public:
  // The wait for a host taken for hung: enough for one that has recovered,
  // little enough that a drag against a hung one still moves.
  static constexpr int kGlanceMs = 250;

  // How long the next delivery may wait, in ms, when the link's bound is
  // `boundMs`; 0 when the action has used up its time and the message is
  // better not sent at all.
  int NextWait(int boundMs) const;
  // What became of a delivery and how long it took.
  void Record(link::Delivery outcome, int spentMs);
  // A message that was not sent for want of time.
  void Skipped() { missed_ = true; }
  // The event loop has run: the next message belongs to another action.
  void ActionEnded() { spentMs_ = 0; }

  bool HostHung() const { return hung_; }
  // True once, after a host that missed messages has answered again.
  bool TakeCatchUp();

 private:
  bool hung_ = false;
  bool missed_ = false;
  bool catchUp_ = false;
  int spentMs_ = 0;
};

}  // namespace qm
