#pragma once
// A page on its own with FormReady set and every message it sends recorded,
// for event-sequence tests of its handlers.
#include <gtest/gtest.h>

#include <QStringList>
#include <utility>

#include "params/ui/EditorState.h"

namespace qm::test {

template <typename Page>
class PageEvents : public ::testing::Test {
 protected:
  PageEvents() {
    state.FormReady = true;
    state.sendText = [this](const QString& m) {
      sent << m;
      return true;
    };
  }
  QStringList Take() { return std::exchange(sent, {}); }

  EditorState state;
  QStringList sent;
  Page page{state};
};

}  // namespace qm::test
