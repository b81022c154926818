// Records the message boxes shown while it lives instead of showing them.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct RecordedBox {
  std::string caption;
  std::string text;
};

class BoxRecorder {
 public:
  BoxRecorder();
  ~BoxRecorder();
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  const std::vector<RecordedBox>& boxes() const { return boxes_; }
  bool saw(const std::string& caption, const std::string& text) const;

 private:
  std::vector<RecordedBox> boxes_;
};

}  // namespace testing_support
