#include "resources/jpeg_errors.h"

namespace resources {
namespace {

[[noreturn]] void errorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

// Warnings about recoverable damage would only clutter standard error.
void ignoreMessage(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* useJpegErrors(JpegErrors& errors) {
  jpeg_std_error(&errors.manager);
  errors.manager.error_exit = errorExit;
  errors.manager.output_message = ignoreMessage;
  return &errors.manager;
}

}  // namespace resources
