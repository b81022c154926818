// Runs one of the project's programs (from build/bin) as a child process in a chosen folder
// and collects its exit code and output.
#pragma once

#include <string>

namespace testing_support {

struct ProgramResult {
  int exitCode = -1;
  std::string output;  // standard output and standard error together
};

// Path of a program built by the project, e.g. binPath("tolvek").
std::string binPath(const std::string& program);

// `arguments` are passed through the shell: quote them as needed. `launcher` is a command the
// program is started through, such as "env PATH=/nowhere" or "timeout -s INT 5".
ProgramResult runProgram(const std::string& program, const std::string& arguments,
                         const std::string& workingDirectory, const std::string& launcher = "");

}  // namespace testing_support
