// The archive reader's debug log: temp/debug_archive.txt under the working directory. It is
// created on the first extraction of the process when temp/ exists; otherwise nothing is ever
// logged. Every message is appended with the milliseconds since that first extraction and the
// reader line that issued it.
#pragma once

#include <string_view>

namespace archive {

// Creates the log file on the first call in the process; later calls do nothing.
void openDebugLogOnce();

// `line` defaults to the caller's source line (std::source_location is not available with
// every compiler the project builds with).
void logMessage(std::string_view text, unsigned line = __builtin_LINE());

// Forgets the log so that the next extraction decides afresh whether to create it. Lets tests
// run several working directories in one process.
void resetDebugLog();

}  // namespace archive
