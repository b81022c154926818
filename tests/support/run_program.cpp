#include "support/run_program.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

namespace testing_support {

std::string binPath(const std::string& program) {
  const char* dir = std::getenv("TOLVEK_BIN");
  return std::string(dir ? dir : "bin") + "/" + program;
}

ProgramResult runProgram(const std::string& program, const std::string& arguments,
                         const std::string& workingDirectory, const std::string& launcher) {
  const std::string command = "cd '" + workingDirectory + "' && " + (launcher.empty() ? "" : launcher + " ") +
                              "'" + binPath(program) + "' " +
                              arguments + " 2>&1 < /dev/null";
  ProgramResult result;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  const int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace testing_support
