// The kit's model module run once into a temporary show folder, shared by the suites that
// look at the files it leaves.
#pragma once

#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace modelkit_test {

struct WrittenShow {
  testing_support::TempFolder folder;
  std::vector<std::string> failures;
  std::vector<std::string> written;
};

const WrittenShow& writtenModels();

}  // namespace modelkit_test
