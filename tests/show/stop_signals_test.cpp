// Interrupt, terminate and hang-up signals sent to the real program while it loads and while
// the show plays: each ends the run through the normal shutdown (exit code 0, the unpacked
// files deleted), also when more of them keep arriving while it shuts down.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "support/run_program.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool waitFor(const std::function<bool()>& condition, std::chrono::seconds limit) {
  const auto deadline = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

int countFiles(const fs::path& folder) {
  std::error_code error;
  int n = 0;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) ++n;
  return n;
}

class StopSignal : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    if (!folder_.linkKitShow()) GTEST_SKIP() << "needs the kit's show folder (make show, or TOLVEK_SHOW_DIR)";
    shipped_ = folder_.allEntries();
  }

  // The show recorded on the virtual clock, so that the frames written tell how far it got.
  void start() {
    const std::string program = testing_support::binPath("tolvek");
    const std::string log = folder_.file("log.txt");
    pid_ = ::fork();
    ASSERT_GE(pid_, 0);
    if (pid_ == 0) {
      const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || ::chdir(folder_.path().c_str()) != 0) ::_exit(99);
      ::dup2(fd, 1);
      ::dup2(fd, 2);
      ::execl(program.c_str(), program.c_str(), "--record", "OUT", "--fps", "10", "--mode", "320x240", nullptr);
      ::_exit(98);
    }
  }

  // Whether the signal sent to the run is no longer pending, that is, a thread has taken it.
  bool signalDelivered() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(status, line))
      if (line.rfind("ShdPnd:", 0) == 0) return ((std::stoull(line.substr(7), nullptr, 16) >> (GetParam() - 1)) & 1) == 0;
    return false;
  }

  // Exit code of the run after the signal, repeated every few milliseconds until the run has
  // ended, so that further signals arrive while it shuts down. Fails the test (and ends the
  // run) if it does not stop by itself.
  int signalUntilExit() {
    int status = 0;
    const bool ended = waitFor(
        [&] {
          if (::waitpid(pid_, &status, WNOHANG) == pid_) return true;
          ::kill(pid_, GetParam());
          return false;
        },
        std::chrono::seconds(60));
    if (!ended) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      ADD_FAILURE() << "the demo did not stop on signal " << GetParam();
      return -1;
    }
    EXPECT_TRUE(WIFEXITED(status)) << "ended by the signal instead of shutting down";
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // What the show folder shipped, the recording and the log: nothing unpacked, nothing half
  // written.
  void expectNothingUnpackedLeft() {
    for (const std::string& file : folder_.allEntries())
      EXPECT_TRUE(shipped_.count(file) || file.rfind("OUT", 0) == 0 || file == "log.txt")
          << file << " is left behind\n" << folder_.read("log.txt");
  }

  testing_support::TempFolder folder_;
  std::set<std::string> shipped_;
  pid_t pid_ = -1;
};

TEST_P(StopSignal, WhileLoadingEndsBeforeTheShowAndDeletesWhatWasUnpacked) {
  // The character's animation table is read, to its end, by the first object made after every
  // archive entry is unpacked. Held back as a pipe, it keeps the run inside the loading
  // sequence until the signal has arrived: the read ends only when the pipe is closed.
  const std::string table = folder_.file("Doom/Animation.cfg");
  fs::remove(table);
  ASSERT_EQ(::mkfifo(table.c_str(), 0644), 0);
  start();
  int writer = -1;
  ASSERT_TRUE(waitFor([&] { return (writer = ::open(table.c_str(), O_WRONLY | O_NONBLOCK)) >= 0; },
                      std::chrono::seconds(60)))
      << "the run never read the animation table";
  EXPECT_TRUE(fs::exists(folder_.file("data/map/brae3.bsp"))) << "the entries are unpacked by now";
  ::kill(pid_, GetParam());
  // The handler has run once the signal is no longer pending for the process.
  ASSERT_TRUE(waitFor([&] { return signalDelivered(); }, std::chrono::seconds(10)));
  ::close(writer);
  EXPECT_EQ(signalUntilExit(), 0);
  expectNothingUnpackedLeft();
  // Five progress screens were shown; the two after the objects and every show frame were not.
  EXPECT_EQ(countFiles(folder_.file("OUT")), 5 + 1) << "five frames and the soundtrack";
}

TEST_P(StopSignal, DuringTheShowEndsLikeTheCloseBox) {
  start();
  // Seven progress screens, then two seconds of the show.
  ASSERT_TRUE(waitFor([&] { return countFiles(folder_.file("OUT")) > 7 + 20; }, std::chrono::seconds(60)));
  EXPECT_EQ(signalUntilExit(), 0);
  expectNothingUnpackedLeft();
  EXPECT_LT(countFiles(folder_.file("OUT")), 100) << "the recording stopped at the signal";
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignal, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) { return std::string(::sigabbrev_np(info.param)); });

}  // namespace
