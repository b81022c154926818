#include "archive/archive_reader.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "archive/archive_format.h"
#include "archive/crc32.h"
#include "archive/debug_log.h"
#include "archive/packed_reader.h"
#include "archive/unpacker.h"
#include "platform/file_system.h"

namespace archive {
namespace {

// No code is shorter than one bit and no match longer than 260 bytes, so a packed byte never
// yields more than this; larger claims are damage and would only make us allocate in vain.
constexpr std::uint64_t kMaxExpansion = 8 * 260;

constexpr std::size_t kStoredChunk = 1 << 16;

__attribute__((format(printf, 1, 2))) std::string format(const char* pattern, ...) {
  va_list args;
  va_start(args, pattern);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, pattern, copy);
  va_end(copy);
  std::string text(length > 0 ? std::size_t(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, pattern, args);
  va_end(args);
  return text;
}

// Backslash, slash and underscore alike, ASCII letters in upper case; a stored name ends at
// its first zero byte like the C string it was.
std::string comparableName(std::string_view name) {
  std::string result(name.substr(0, name.find('\0')));
  for (char& c : result) {
    if (c == '\\' || c == '/') c = '_';
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  }
  return result;
}

void wipe(std::string& secret) {
  volatile char* p = secret.data();
  for (std::size_t i = 0; i < secret.size(); ++i) p[i] = 0;
  secret.clear();
}

struct FreeDeleter {
  void operator()(std::uint8_t* p) const { std::free(p); }
};

// The window and decoder state are made once and kept: the window is 1 MiB, and an
// extraction clears only what the one before it wrote.
Unpacker& processUnpacker() {
  static std::unique_ptr<Unpacker> unpacker;
  if (!unpacker) unpacker = std::make_unique<Unpacker>();
  return *unpacker;
}

// A file header with where its name, data and successor lie.
struct FileHeader : BlockHeader {
  std::string name;
  std::uint64_t dataStart = 0;
  std::uint64_t nextBlock = 0;
};

// The state of one extraction, over the archive's bytes.
class ArchiveReader {
 public:
  ArchiveReader(std::span<const std::uint8_t> archive, const char* entryName, const char* password)
      : archive_(archive), entryName_(comparableName(entryName)), password_(password ? password : "") {}
  ~ArchiveReader() { wipe(password_); }
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  bool scan();

  std::uint8_t* releaseOutput() { return output_.release(); }
  std::uint64_t written() const { return written_; }

 private:
  std::optional<FileHeader> nextFileHeader();
  bool readStored(const FileHeader& header);
  // The bytes from `at` on, at most `count` of them: fewer (or none) at the end of the archive.
  std::span<const std::uint8_t> bytesAt(std::uint64_t at, std::uint64_t count) const {
    if (at >= archive_.size()) return {};
    return archive_.subspan(static_cast<std::size_t>(at),
                            static_cast<std::size_t>(std::min<std::uint64_t>(count, archive_.size() - at)));
  }

  std::span<const std::uint8_t> archive_;
  std::uint64_t pos_ = 0;
  std::string entryName_;
  std::string password_;
  Unpacker* unpacker_ = nullptr;  // the process's, once this extraction needs it
  PackedReader packed_;
  std::unique_ptr<std::uint8_t, FreeDeleter> output_;
  std::uint64_t written_ = 0;
  std::uint32_t outputCrc_ = 0;
};

bool ArchiveReader::scan() {
  const auto marker = bytesAt(0, kMarker.size());
  if (marker.size() < kMarker.size()) {
    logMessage("Not a RAR file");
    return false;
  }
  if (!std::equal(marker.begin(), marker.end(), kMarker.begin()) &&
      !std::equal(marker.begin(), marker.end(), kAlternativeMarker.begin())) {
    if (std::equal(kOldMarker.begin(), kOldMarker.end(), marker.begin()))
      logMessage("Attention: format as OLD detected! Can't handel archive!");
    else
      logMessage(std::string("unknown archive type (only plain RAR ") +
                 "supported (normal and solid " + "archives), SFX and Volumes " +
                 "are NOT supported!)");
    return false;
  }

  const auto mainBytes = bytesAt(kMarker.size(), kMainHeaderSize);
  if (mainBytes.size() < kMainHeaderSize) {
    logMessage("Not a RAR file");
    return false;
  }
  const MainHeader mainHeader = readMainHeader(mainBytes.first<kMainHeaderSize>());
  const bool solidArchive = (mainHeader.flags & kArchiveSolid) != 0;
  // A main header shorter than what was just read would send the walk backwards.
  if (mainHeader.size < kMainHeaderSize) {
    logMessage("Not a RAR file");
    return false;
  }

  pos_ = kMarker.size() + mainHeader.size;

  for (;;) {
    std::optional<FileHeader> header = nextFileHeader();
    if (!header) return false;
    if (header->type == kSubBlockType) {
      logMessage("Sorry, sub-headers not supported.");
      return false;
    }

    const bool wanted = comparableName(header->name) == entryName_;
    const bool stored = header->method == kMethodStored;
    const std::span<const std::uint8_t> packed = bytesAt(header->dataStart, header->packedSize);
    const std::uint64_t packedAvailable = packed.size();
    if (wanted || solidArchive) {
      // Sizes the data cannot hold: refuse before allocating or decoding for nothing.
      if (stored && wanted && header->unpackedSize > packedAvailable) {
        logMessage("Read error of stored file!");
        return false;
      }
      if (!stored && header->unpackedSize > packedAvailable * kMaxExpansion) {
        logMessage(format("Entry claims %u bytes from %llu packed bytes; the data is damaged.",
                          header->unpackedSize, static_cast<unsigned long long>(packedAvailable)));
        return false;
      }
    }
    if (wanted) {
      output_.reset(static_cast<std::uint8_t*>(std::malloc(std::max<std::size_t>(header->unpackedSize, 1))));
      written_ = 0;
      if (!output_) {
        logMessage("can't allocate memory for the file decompression");
        return false;
      }
    }

    if (solidArchive || wanted) {
      if (header->version < kMinUnpackVersion || header->version > kMaxUnpackVersion) {
        logMessage("unknown compression method");
        return false;
      }
      const bool encrypted = !password_.empty() && (header->flags & kEntryEncrypted) != 0;
      packed_.beginEntry(packed, encrypted ? header->version : 0, password_);
      if (stored) {
        if (wanted && !readStored(*header)) {
          logMessage("Read error of stored file!");
          return false;
        }
      } else {
        // The window is only needed once there is something to decompress.
        if (!unpacker_) {
          try {
            unpacker_ = &processUnpacker();
          } catch (const std::bad_alloc&) {
            logMessage("Can't allocate memory for decompression!");
            return false;
          }
          unpacker_->startExtraction();
        }
        UnpackOutput out{output_.get(), header->unpackedSize, 0};
        const UnpackEntry entry{header->unpackedSize, packedAvailable, (header->flags & kEntrySolid) != 0};
        const bool complete = unpacker_->decompressEntry(packed_, entry, wanted ? &out : nullptr);
        if (wanted) {
          written_ = out.written;
          outputCrc_ = out.crc;
        }
        // A cut-short entry leaves the window useless for the solid entries after it.
        if (!complete && !wanted) return false;
      }
      if (output_ && (written_ != header->unpackedSize || outputCrc_ != header->fileCrc)) {
        logMessage("CRC32 error - file couldn't be decompressed correctly!");
        return false;
      }
    }

    pos_ = header->nextBlock;
    if (wanted) return true;
  }
}

std::optional<FileHeader> ArchiveReader::nextFileHeader() {
  for (;;) {
    const std::uint64_t blockStart = pos_;
    const auto raw = bytesAt(blockStart, kFileHeaderSize);
    if (raw.size() < kMinBlockSize) return std::nullopt;
    // What the archive lacks of the 32 bytes reads as zero.
    std::array<std::uint8_t, kFileHeaderSize> padded{};
    std::copy(raw.begin(), raw.end(), padded.begin());

    FileHeader header;
    static_cast<BlockHeader&>(header) = readBlockHeader(padded);
    if (header.size < kMinBlockSize) return std::nullopt;
    header.nextBlock = nextBlockStart(blockStart, header);

    if (header.type == kSubBlockType) return header;
    if (header.type != kFileHeaderType) {
      if (header.nextBlock >= archive_.size()) return std::nullopt;
      pos_ = header.nextBlock;
      continue;
    }

    // The name has to fit in the header, or the data and the next block could not both be
    // where the header says.
    if (raw.size() < kFileHeaderSize || header.size < kFileHeaderSize + header.nameSize) {
      logMessage("file header broken");
      return std::nullopt;
    }
    const auto name = bytesAt(blockStart + kFileHeaderSize, header.nameSize);
    if (name.size() < header.nameSize) return std::nullopt;
    header.name.assign(name.begin(), name.end());
    if (headerCrc(raw, name) != header.crc) logMessage("file header broken");
    header.dataStart = blockStart + header.size;
    return header;
  }
}

bool ArchiveReader::readStored(const FileHeader& header) {
  const std::uint64_t count = std::min<std::uint64_t>(header.unpackedSize, header.packedSize);
  std::uint8_t* out = output_.get();
  written_ = 0;
  outputCrc_ = 0;
  // Encrypted data is read in whole blocks through a staging buffer and cut to the entry's
  // size; plain data goes straight into the output.
  std::vector<std::uint8_t> staging;
  while (written_ < count) {
    const std::uint64_t need = count - written_;
    std::size_t got;
    std::size_t take;
    if (header.flags & kEntryEncrypted) {
      if (staging.empty()) staging.resize(std::size_t(std::min<std::uint64_t>((count + 15) & ~std::uint64_t(15), kStoredChunk)));
      const std::size_t request = std::size_t(std::min<std::uint64_t>((need + 15) & ~std::uint64_t(15), kStoredChunk));
      got = packed_.readPacked(staging.data(), request);
      take = std::size_t(std::min<std::uint64_t>(got, need));
      std::memcpy(out + written_, staging.data(), take);
    } else {
      const std::size_t request = std::size_t(std::min<std::uint64_t>(need, kStoredChunk));
      got = packed_.readPacked(out + written_, request);
      take = got;
    }
    outputCrc_ = crc32(out + written_, take, outputCrc_);
    written_ += take;
    if (got == 0) break;
  }
  return written_ == count;
}

// The archive file's bytes: only its marker when that is not one the reader takes, so that
// whatever else a file is, it is refused without being read.
std::optional<std::vector<std::uint8_t>> readArchiveFile(const char* path) {
  auto start = platform::readFileStart(path, kMarker.size());
  if (!start || start->size() < kMarker.size() ||
      (!std::equal(kMarker.begin(), kMarker.end(), start->begin()) &&
       !std::equal(kAlternativeMarker.begin(), kAlternativeMarker.end(), start->begin())))
    return start;
  return platform::readFileStart(path, SIZE_MAX);
}

// One extraction over the archive's bytes, or over the file `archiveName` when there are none.
int extract(std::uint8_t** data, std::uint32_t* size, const char* entryName, const char* archiveName,
            const std::span<const std::uint8_t>* archiveBytes, const char* password) {
  if (data) *data = nullptr;
  if (size) *size = 0;
  openDebugLogOnce();
  const char* shownEntry = entryName ? entryName : "";
  // The password never goes to the log; only whether there is one.
  logMessage(format("Extracting >%s< from >%s< (password is >%s<)...", shownEntry,
                    archiveName ? archiveName : "", password && *password ? "******" : ""));

  bool extracted = false;
  std::uint8_t* buffer = nullptr;
  std::uint64_t written = 0;
  if (data && size && entryName && (archiveName || archiveBytes)) {
    try {
      std::optional<std::vector<std::uint8_t>> file;
      std::span<const std::uint8_t> bytes;
      if (archiveBytes) {
        bytes = *archiveBytes;
      } else if ((file = readArchiveFile(archiveName))) {
        bytes = *file;
      } else {
        logMessage("Error opening file.");
      }
      if (archiveBytes || file) {
        ArchiveReader reader(bytes, entryName, password);
        extracted = reader.scan();
        if (extracted) {
          written = reader.written();
          buffer = reader.releaseOutput();
        }
      }
    } catch (const std::bad_alloc&) {
      logMessage("Can't allocate memory for decompression!");
      extracted = false;
    }
  }
  if (!extracted) {
    logMessage(std::string("Error - couldn't extract ") + format(">%s<", shownEntry) +
               " and allocated " + format("%u Bytes", 0u) + " of unused memory!");
    return 0;
  }
  logMessage(format("Extracted %u Bytes.", unsigned(written)));
  *data = buffer;
  *size = std::uint32_t(written);
  return 1;
}

std::optional<std::vector<std::uint8_t>> extractOwned(std::string_view entryName, const char* archiveName,
                                                      const std::span<const std::uint8_t>* archiveBytes,
                                                      std::string_view password) {
  const std::string entry(entryName);
  std::string secret(password);
  std::uint8_t* data = nullptr;
  std::uint32_t size = 0;
  const int result = extract(&data, &size, entry.c_str(), archiveName, archiveBytes, secret.c_str());
  wipe(secret);
  if (!result) return std::nullopt;
  std::unique_ptr<std::uint8_t, FreeDeleter> owned(data);
  return std::vector<std::uint8_t>(data, data + size);
}

}  // namespace

int extractFile(std::uint8_t** data, std::uint32_t* size, const char* entryName,
                const char* archiveName, const char* password) {
  return extract(data, size, entryName, archiveName, nullptr, password);
}

std::optional<std::vector<std::uint8_t>> extractEntry(std::string_view entryName,
                                                      std::string_view archiveName,
                                                      std::string_view password) {
  const std::string archiveFile(archiveName);
  return extractOwned(entryName, archiveFile.c_str(), nullptr, password);
}

std::optional<std::vector<std::uint8_t>> extractFromMemory(std::span<const std::uint8_t> archive,
                                                           std::string_view entryName,
                                                           std::string_view password) {
  return extractOwned(entryName, "(memory)", &archive, password);
}

}  // namespace archive
