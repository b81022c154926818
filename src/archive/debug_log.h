// The archive reader's debug log: temp/debug_archive.txt under the working directory. It is
// created on the first extraction of the process when temp/ exists; otherwise nothing is ever
// logged. Every message is appended with the milliseconds since that first extraction and the
// reader line that issued it.
#pragma once

#include <source_location>
#include <string_view>

namespace archive {

// Creates the log file on the first call in the process; later calls do nothing.
void openDebugLogOnce();

void logMessage(std::string_view text,
                std::source_location where = std::source_location::current());

// Forgets the log so that the next extraction decides afresh whether to create it. Lets tests
// run several working directories in one process.
void resetDebugLog();

}  // namespace archive
