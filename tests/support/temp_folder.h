// A fresh folder under the system's temporary directory, removed with everything in it when
// the object goes away; optionally the working directory while it lives.
#pragma once

#include <cstdint>
#include <set>
#include <span>
#include <string>

namespace testing_support {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const;
  void write(const std::string& name, std::span<const std::uint8_t> bytes) const;
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;
  int entryCount() const;  // entries directly in the folder
  // Every file and folder below it, as paths relative to it.
  std::set<std::string> allEntries() const;
  // Fills the folder with the kit's show (kitShowFolder), as hard links: a run only adds and
  // deletes files, which leaves the originals alone; a file a test damages must be replaced,
  // not written into. False when there is no show folder.
  bool linkKitShow(const std::string& into = "") const;

 private:
  std::string path_;
};

// The kit's show folder: TOLVEK_SHOW_DIR when it is set, else the one this build writes
// (build/show, `make show`); empty when that holds no show.
std::string kitShowFolder();

// Changes the working directory for its lifetime.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::string& path);
  ~ScopedWorkingDirectory();
  ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
  ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

 private:
  std::string previous_;
};

}  // namespace testing_support
