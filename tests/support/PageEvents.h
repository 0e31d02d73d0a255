#pragma once
// A page on its own with FormReady set and every message it sends recorded,
// for event-sequence tests of its handlers.
#include <gtest/gtest.h>

#include <QStringList>
#include <utility>

#include "params/EditorState.h"

namespace qm::test {

// Takes every message a page sends, as the host session would, and keeps it.
class RecordingSender : public LookSender {
 public:
  bool SendText(const QString& sMsg) override {
    sent << sMsg;
    return true;
  }
  QStringList sent;
};

template <typename Page>
class PageEvents : public ::testing::Test {
 protected:
  PageEvents() { state.FormReady = true; }
  QStringList Take() { return std::exchange(sender.sent, {}); }

  EditorState state;
  RecordingSender sender;
  Page page{state, sender};
};

}  // namespace qm::test
