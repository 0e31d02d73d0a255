#pragma once
// A page on its own, ready, with every message it sends recorded,
// for event-sequence tests of its handlers.
#include <gtest/gtest.h>

#include <QStringList>
#include <utility>

#include "session/EditorState.h"
#include "stamp/HostMessage.h"

namespace qm::test {

// Takes every message a page sends, as the host session would, and keeps it;
// a one-field message also goes into the typed copy of the look, which the
// pages read back.
class RecordingSender : public LookSender {
 public:
  bool SendText(const QString& sMsg) override {
    if (state && state->Muted()) return false;
    sent << sMsg;
    const auto index = stamp::KeyFieldIndex(QStringView(sMsg).left(2));
    if (state && index && *index > 0)
      stamp::SetParamField(state->CurrentParams, *index, sMsg.mid(2));
    return true;
  }
  QStringList sent;
  EditorState* state = nullptr;
};

template <typename Page>
class PageEvents : public ::testing::Test {
 protected:
  PageEvents() { sender.state = &state; }
  QStringList Take() { return std::exchange(sender.sent, {}); }

  EditorState state;
  RecordingSender sender;
  Page page{state, sender};
};

}  // namespace qm::test
