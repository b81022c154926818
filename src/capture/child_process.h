// Other programs run beside the demo (the video encoder): started with a pipe to their
// standard input or none, their output into a log file, in a process group of their own so
// that a Ctrl+C at the terminal reaches only the demo, which then ends them in order.
#pragma once

#include <string>
#include <vector>

namespace capture {

// The program's full path when `name` is found on PATH (or is a path to an executable);
// empty otherwise.
std::string findProgram(const std::string& name);

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();  // closes the pipe and waits for the program

  // Starts `argv[0]` (a full path). With `pipeInput` the program reads what write() sends;
  // otherwise its input is /dev/null. Standard output and error go to `logPath`.
  bool start(const std::vector<std::string>& argv, bool pipeInput, const std::string& logPath);
  bool running() const { return pid_ > 0; }

  // Sends all of `size` bytes. False when the program has gone or the pipe broke.
  bool write(const void* data, std::size_t size);
  // Closes the input (the program sees its end) and waits. The program's exit code, or -1
  // when it was killed by a signal or never ran.
  int finish();
  // User and system CPU seconds the program used, once finish() has waited for it.
  double cpuSeconds() const { return cpuSeconds_; }

 private:
  int pid_ = -1;
  int input_ = -1;
  double cpuSeconds_ = 0.0;
};

}  // namespace capture
