#include "written_models.h"

#include <memory>

#include "show_folder.h"
#include "show_models.h"

namespace modelkit_test {

const WrittenShow& writtenModels() {
  static const std::unique_ptr<WrittenShow> show = [] {
    auto s = std::make_unique<WrittenShow>();
    showkit::ShowFolder folder(s->folder.path());
    showkit::writeModels(folder);
    s->failures = folder.failures();
    s->written = folder.written();
    return s;
  }();
  return *show;
}

}  // namespace modelkit_test
