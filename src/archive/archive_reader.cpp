#include "archive/archive_reader.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "archive/crc32.h"
#include "archive/debug_log.h"
#include "archive/packed_reader.h"
#include "archive/unpacker.h"
#include "platform/path_resolver.h"

namespace archive {
namespace {

constexpr std::uint8_t kMarker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr char kAlternativeMarker[7] = {'V', 'a', 'n', 't', 'o', 'r', '!'};
constexpr std::uint8_t kOldMarker[4] = {0x52, 0x45, 0x7E, 0x5E};

constexpr std::size_t kMainHeaderSize = 13;
constexpr std::size_t kBlockHeaderSize = 32;
constexpr std::size_t kMinBlockSize = 7;

constexpr std::uint8_t kFileHeaderType = 0x74;
constexpr std::uint8_t kSubBlockType = 0x77;

constexpr std::uint16_t kArchiveSolid = 0x0008;
constexpr std::uint16_t kEntryEncrypted = 0x0004;
constexpr std::uint16_t kEntrySolid = 0x0010;
constexpr std::uint16_t kHasData = 0x8000;

constexpr std::uint8_t kMethodStored = 0x30;
constexpr int kMinVersion = 13;
constexpr int kMaxVersion = 20;

// No code is shorter than one bit and no match longer than 260 bytes, so a packed byte never
// yields more than this; larger claims are damage and would only make us allocate in vain.
constexpr std::uint64_t kMaxExpansion = 8 * 260;

constexpr std::size_t kStoredChunk = 1 << 16;

std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

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

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
struct FreeDeleter {
  void operator()(std::uint8_t* p) const { std::free(p); }
};

struct FileHeader {
  std::uint16_t headerCrc = 0;
  std::uint8_t type = 0;
  std::uint16_t flags = 0;
  std::uint16_t headerSize = 0;
  std::uint32_t packedSize = 0;
  std::uint32_t unpackedSize = 0;
  std::uint32_t fileCrc = 0;
  std::uint8_t unpackVersion = 0;
  std::uint8_t method = 0;
  std::uint16_t nameSize = 0;
  std::string name;
  std::uint64_t dataStart = 0;
  std::uint64_t nextBlock = 0;
};

// The state of one extraction.
class ArchiveReader {
 public:
  ArchiveReader(const char* entryName, const char* archiveName, const char* password)
      : entryName_(comparableName(entryName)), archiveName_(archiveName),
        password_(password ? password : "") {}
  ~ArchiveReader() { wipe(password_); }
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  bool scan();

  std::uint8_t* releaseOutput() { return output_.release(); }
  std::uint64_t written() const { return written_; }

 private:
  std::optional<FileHeader> nextFileHeader();
  bool readStored(const FileHeader& header);
  bool seek(std::uint64_t position) { return fseeko(file_.get(), off_t(position), SEEK_SET) == 0; }

  std::string entryName_;
  std::string archiveName_;
  std::string password_;
  std::unique_ptr<std::FILE, FileCloser> file_;
  std::uint64_t fileSize_ = 0;
  std::unique_ptr<Unpacker> unpacker_;
  PackedReader packed_;
  std::unique_ptr<std::uint8_t, FreeDeleter> output_;
  std::uint64_t written_ = 0;
  std::uint32_t outputCrc_ = 0;
};

bool ArchiveReader::scan() {
  file_.reset(platform::openFile(archiveName_, "rb"));
  if (!file_) {
    logMessage("Error opening file.");
    return false;
  }
  if (fseeko(file_.get(), 0, SEEK_END) == 0) {
    const off_t end = ftello(file_.get());
    fileSize_ = end > 0 ? std::uint64_t(end) : 0;
  }
  seek(0);

  std::uint8_t marker[7];
  if (std::fread(marker, 1, sizeof marker, file_.get()) < sizeof marker) {
    logMessage("Not a RAR file");
    return false;
  }
  if (std::memcmp(marker, kMarker, 7) != 0 && std::memcmp(marker, kAlternativeMarker, 7) != 0) {
    if (std::memcmp(marker, kOldMarker, 4) == 0)
      logMessage("Attention: format as OLD detected! Can't handel archive!");
    else
      logMessage(std::string("unknown archive type (only plain RAR ") +
                 "supported (normal and solid " + "archives), SFX and Volumes " +
                 "are NOT supported!)");
    return false;
  }

  std::uint8_t mainHeader[kMainHeaderSize];
  if (std::fread(mainHeader, 1, sizeof mainHeader, file_.get()) < sizeof mainHeader) {
    logMessage("Not a RAR file");
    return false;
  }
  const bool solidArchive = (le16(mainHeader + 3) & kArchiveSolid) != 0;
  const std::uint16_t mainHeaderSize = le16(mainHeader + 5);
  // A main header shorter than what was just read would send the walk backwards.
  if (mainHeaderSize < kMainHeaderSize) {
    logMessage("Not a RAR file");
    return false;
  }

  seek(sizeof marker + mainHeaderSize);

  for (;;) {
    std::optional<FileHeader> header = nextFileHeader();
    if (!header) return false;
    if (header->type == kSubBlockType) {
      logMessage("Sorry, sub-headers not supported.");
      return false;
    }

    const bool wanted = comparableName(header->name) == entryName_;
    const bool stored = header->method == kMethodStored;
    const std::uint64_t packedAvailable =
        header->dataStart < fileSize_
            ? std::min<std::uint64_t>(header->packedSize, fileSize_ - header->dataStart)
            : 0;
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
      if (header->unpackVersion < kMinVersion || header->unpackVersion > kMaxVersion) {
        logMessage("unknown compression method");
        return false;
      }
      const bool encrypted = !password_.empty() && (header->flags & kEntryEncrypted) != 0;
      seek(header->dataStart);
      packed_.beginEntry(file_.get(), header->packedSize, encrypted ? header->unpackVersion : 0,
                         password_);
      if (stored) {
        if (wanted && !readStored(*header)) {
          logMessage("Read error of stored file!");
          return false;
        }
      } else {
        // The window is only needed once there is something to decompress.
        if (!unpacker_) {
          try {
            unpacker_ = std::make_unique<Unpacker>();
          } catch (const std::bad_alloc&) {
            logMessage("Can't allocate memory for decompression!");
            return false;
          }
        }
        UnpackOutput out{output_.get(), header->unpackedSize, 0};
        const UnpackEntry entry{header->unpackedSize, packedAvailable,
                                (header->flags & kEntrySolid) != 0};
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

    seek(header->nextBlock);
    if (wanted) return true;
  }
}

std::optional<FileHeader> ArchiveReader::nextFileHeader() {
  std::FILE* file = file_.get();
  for (;;) {
    const off_t at = ftello(file);
    if (at < 0) return std::nullopt;
    const std::uint64_t blockStart = std::uint64_t(at);

    std::uint8_t raw[kBlockHeaderSize] = {};
    const std::size_t got = std::fread(raw, 1, sizeof raw, file);
    if (got < kMinBlockSize) return std::nullopt;

    FileHeader header;
    header.headerCrc = le16(raw + 0);
    header.type = raw[2];
    header.flags = le16(raw + 3);
    header.headerSize = le16(raw + 5);
    header.packedSize = le32(raw + 7);
    header.unpackedSize = le32(raw + 11);
    header.fileCrc = le32(raw + 16);
    header.unpackVersion = raw[24];
    header.method = raw[25];
    header.nameSize = le16(raw + 26);
    if (header.headerSize < kMinBlockSize) return std::nullopt;
    header.nextBlock =
        blockStart + header.headerSize + ((header.flags & kHasData) ? header.packedSize : 0);

    if (header.type == kSubBlockType) {
      seek(blockStart);
      return header;
    }
    if (header.type != kFileHeaderType) {
      if (header.nextBlock >= fileSize_ || !seek(header.nextBlock)) return std::nullopt;
      continue;
    }

    // The name has to fit in the header, or the data and the next block could not both be
    // where the header says.
    if (got < kBlockHeaderSize || header.headerSize < kBlockHeaderSize + header.nameSize) {
      logMessage("file header broken");
      return std::nullopt;
    }
    header.name.assign(header.nameSize, '\0');
    if (std::fread(header.name.data(), 1, header.nameSize, file) < header.nameSize)
      return std::nullopt;
    const std::uint32_t crc =
        crc32(header.name.data(), header.nameSize, crc32(raw + 2, kBlockHeaderSize - 2));
    if ((crc & 0xFFFF) != header.headerCrc) logMessage("file header broken");
    header.dataStart = blockStart + header.headerSize;
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
      if (staging.empty()) staging.resize(kStoredChunk);
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

}  // namespace

int extractFile(std::uint8_t** data, std::uint32_t* size, const char* entryName,
                const char* archiveName, const char* password) {
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
  if (data && size && entryName && archiveName) {
    try {
      ArchiveReader reader(entryName, archiveName, password);
      extracted = reader.scan();
      if (extracted) {
        written = reader.written();
        buffer = reader.releaseOutput();
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

std::optional<std::vector<std::uint8_t>> extractEntry(std::string_view entryName,
                                                      std::string_view archiveName,
                                                      std::string_view password) {
  const std::string entry(entryName);
  const std::string archiveFile(archiveName);
  std::string secret(password);
  std::uint8_t* data = nullptr;
  std::uint32_t size = 0;
  const int result = extractFile(&data, &size, entry.c_str(), archiveFile.c_str(), secret.c_str());
  wipe(secret);
  if (!result) return std::nullopt;
  std::unique_ptr<std::uint8_t, FreeDeleter> owned(data);
  return std::vector<std::uint8_t>(data, data + size);
}

}  // namespace archive
