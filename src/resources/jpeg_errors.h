// libjpeg's standard error manager ends the process on a damaged file. This one returns to
// the caller instead: an error long-jumps back to the setjmp of `jump`, and warnings about
// recoverable damage are dropped. Shared by the texture loader and the content kit's writer.
//
// The caller sets up with useJpegErrors, calls setjmp(errors.jump) before the first library
// call and cleans up when it returns non-zero; the code between must hold no objects with
// destructors, as the jump skips them.
#pragma once

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs size_t and FILE declared before it

#include <jpeglib.h>

namespace resources {

struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

// Fills `errors` and returns the manager to put in the library's cinfo.err.
jpeg_error_mgr* useJpegErrors(JpegErrors& errors);

}  // namespace resources
