#include "support/box_recorder.h"

#include "platform/message_box.h"

namespace testing_support {

BoxRecorder::BoxRecorder() {
  platform::setMessageBoxSink([this](const std::string& caption, const std::string& text) {
    boxes_.push_back({caption, text});
  });
}

BoxRecorder::~BoxRecorder() { platform::setMessageBoxSink(nullptr); }

bool BoxRecorder::saw(const std::string& caption, const std::string& text) const {
  for (const auto& box : boxes_)
    if (box.caption == caption && box.text == text) return true;
  return false;
}

}  // namespace testing_support
