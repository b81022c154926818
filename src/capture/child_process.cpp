#include "capture/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

extern char** environ;

namespace capture {
namespace {

bool isExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string findProgram(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return isExecutableFile(name) ? name : std::string();
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
    if (isExecutableFile(candidate)) return candidate;
  }
  return {};
}

ChildProcess::~ChildProcess() { finish(); }

bool ChildProcess::start(const std::vector<std::string>& argv, bool pipeInput, const std::string& logPath) {
  if (running() || argv.empty()) return false;
  int fds[2] = {-1, -1};
  if (pipeInput) {
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    // A larger pipe lets the encoder work on one frame while the next is drawn.
    ::fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (pipeInput)
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
  else
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (pipeInput) ::close(fds[0]);
  if (rc != 0) {
    if (pipeInput) ::close(fds[1]);
    return false;
  }
  pid_ = pid;
  input_ = pipeInput ? fds[1] : -1;
  // A program that dies leaves a broken pipe: write() reports it instead of a signal
  // ending the demo.
  ::signal(SIGPIPE, SIG_IGN);
  return true;
}

bool ChildProcess::write(const void* data, std::size_t size) {
  if (input_ < 0) return false;
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(input_, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

int ChildProcess::finish() {
  if (input_ >= 0) {
    ::close(input_);
    input_ = -1;
  }
  if (pid_ <= 0) return -1;
  int status = 0;
  struct rusage usage {};
  pid_t r;
  do r = ::wait4(pid_, &status, 0, &usage);
  while (r < 0 && errno == EINTR);
  if (r > 0)
    cpuSeconds_ = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  pid_ = -1;
  return r > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace capture
