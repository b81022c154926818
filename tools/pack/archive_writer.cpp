#include "pack/archive_writer.h"

#include "archive/crc32.h"
#include "archive/file_cipher.h"
#include "platform/file_system.h"

namespace pack {
namespace {

constexpr std::uint8_t kHostMsDos = 0;
constexpr std::uint32_t kAttributeArchive = 0x20;

std::vector<std::uint8_t> encrypt(std::vector<std::uint8_t> data, const std::string& password) {
  data.resize((data.size() + 15) / 16 * 16, 0);
  archive::FileCipher cipher;
  cipher.initCipher(password);
  for (size_t i = 0; i < data.size(); i += 16) cipher.encipherBlock(data.data() + i);
  return data;
}

// Appends a header of `size` bytes (the fixed part, then `name`) with its CRC.
void appendSealed(std::vector<std::uint8_t>& out, std::span<std::uint8_t> fixed, std::string_view name = {}) {
  const std::span<const std::uint8_t> nameBytes(reinterpret_cast<const std::uint8_t*>(name.data()), name.size());
  archive::layout::put16(fixed.data(), archive::headerCrc(fixed, nameBytes));
  out.insert(out.end(), fixed.begin(), fixed.end());
  out.insert(out.end(), nameBytes.begin(), nameBytes.end());
}

}  // namespace

ArchiveWriter::ArchiveWriter(PackOptions options) : options_(std::move(options)) {}

bool ArchiveWriter::checkName(const std::string& name) {
  if (name.empty() || name.size() > kMaxNameLength) {
    error_ = "entry name must have 1 to " + std::to_string(kMaxNameLength) + " bytes: '" + name + "'";
    return false;
  }
  if (name.find('\0') != std::string::npos) {
    error_ = "entry name contains a zero byte";
    return false;
  }
  return true;
}

bool ArchiveWriter::addEntry(std::string name, std::vector<std::uint8_t> bytes, std::uint32_t dosTime) {
  if (!checkName(name)) return false;
  if (bytes.size() > 0xFFFFFFF0u) {
    error_ = "entry '" + name + "' is too large for the format (4 GiB)";
    return false;
  }
  pending_.push_back({std::move(name), std::move(bytes), dosTime, std::nullopt, std::nullopt});
  return true;
}

bool ArchiveWriter::addPackedEntry(std::string name, std::vector<std::uint8_t> packed, std::vector<std::uint8_t> bytes) {
  if (!checkName(name)) return false;
  if (bytes.size() > 0xFFFFFFF0u || packed.size() > 0xFFFFFFF0u) {
    error_ = "entry '" + name + "' is too large for the format (4 GiB)";
    return false;
  }
  pending_.push_back({std::move(name), std::move(bytes), kDefaultDosTime, std::move(packed), std::nullopt});
  return true;
}

void ArchiveWriter::addBlock(std::uint8_t type, std::vector<std::uint8_t> data) {
  pending_.push_back({{}, std::move(data), 0, std::nullopt, type});
}

std::optional<std::vector<std::uint8_t>> ArchiveWriter::buildArchive() {
  built_.clear();
  stats_ = {};
  if (options_.password.size() > archive::FileCipher::kMaxPasswordLength) {
    error_ = "password longer than " + std::to_string(archive::FileCipher::kMaxPasswordLength) + " bytes";
    return std::nullopt;
  }
  if (options_.password.find('\0') != std::string::npos) {
    error_ = "password contains a zero byte; the reader takes it as a C string";
    return std::nullopt;
  }
  const bool encrypted = !options_.password.empty();
  const size_t alignment = encrypted ? 16 : 1;

  // Packed stream of each entry; empty optional: stored.
  std::vector<std::optional<std::vector<std::uint8_t>>> packed(pending_.size());
  auto compressible = [&](size_t i) { return !pending_[i].blockType && !pending_[i].packed; };
  if (!options_.store && options_.solid) {
    Compressor chain;
    std::vector<size_t> members;
    for (size_t i = 0; i < pending_.size(); ++i)
      if (compressible(i) && chain.addEntry(pending_[i].bytes)) members.push_back(i);
    auto streams = chain.finish(alignment);
    for (size_t k = 0; k < members.size(); ++k) packed[members[k]] = std::move(streams[k]);
    stats_ = chain.stats();
  } else if (!options_.store) {
    for (size_t i = 0; i < pending_.size(); ++i) {
      if (!compressible(i)) continue;
      Compressor single;
      if (!single.addEntry(pending_[i].bytes)) continue;
      auto streams = single.finish(alignment);
      if (streams[0].size() >= (pending_[i].bytes.size() + alignment - 1) / alignment * alignment) continue;
      packed[i] = std::move(streams[0]);
      stats_.add(single.stats());
    }
  }
  for (size_t i = 0; i < pending_.size(); ++i)
    if (pending_[i].packed) packed[i] = pending_[i].packed;

  std::vector<std::uint8_t> out(archive::kMarker.begin(), archive::kMarker.end());
  std::array<std::uint8_t, archive::kMainHeaderSize> main{};
  archive::MainHeader mainHeader;
  mainHeader.flags = options_.solid ? archive::kArchiveSolid : 0;
  archive::writeMainHeader(mainHeader, main);
  appendSealed(out, main);

  // In a solid archive every compressed entry after the first continues its state.
  bool chainStarted = false;
  for (size_t i = 0; i < pending_.size(); ++i) {
    const Pending& entry = pending_[i];
    if (entry.blockType) {
      const bool hasData = !entry.bytes.empty();
      std::vector<std::uint8_t> header(hasData ? 11 : archive::kMinBlockSize, 0);
      header[2] = *entry.blockType;
      archive::layout::put16(&header[3], hasData ? archive::kHasData : 0);
      archive::layout::put16(&header[5], static_cast<std::uint32_t>(header.size()));
      if (hasData) archive::layout::put32(&header[7], static_cast<std::uint32_t>(entry.bytes.size()));
      appendSealed(out, header);
      out.insert(out.end(), entry.bytes.begin(), entry.bytes.end());
      continue;
    }
    EntryInfo info;
    info.name = entry.name;
    info.unpackedSize = static_cast<std::uint32_t>(entry.bytes.size());
    info.crc = archive::crc32(entry.bytes.data(), entry.bytes.size());
    info.method = packed[i] ? archive::kMethodCompressed : archive::kMethodStored;
    info.flags = archive::kHasData;
    if (encrypted) info.flags |= archive::kEntryEncrypted;
    if (packed[i] && options_.solid) {
      if (chainStarted) info.flags |= archive::kEntrySolid;
      chainStarted = true;
    }
    std::vector<std::uint8_t> data = packed[i] ? std::move(*packed[i]) : entry.bytes;
    if (encrypted) data = encrypt(std::move(data), options_.password);
    if (data.size() > 0xFFFFFFFFu) {
      error_ = "entry '" + entry.name + "' is too large for the format";
      return std::nullopt;
    }
    info.packedSize = static_cast<std::uint32_t>(data.size());

    archive::BlockHeader h;
    h.type = archive::kFileHeaderType;
    h.flags = info.flags;
    h.size = static_cast<std::uint16_t>(archive::kFileHeaderSize + entry.name.size());
    h.packedSize = info.packedSize;
    h.unpackedSize = info.unpackedSize;
    h.host = kHostMsDos;
    h.fileCrc = info.crc;
    h.time = entry.dosTime;
    h.version = archive::kMaxUnpackVersion;
    h.method = info.method;
    h.nameSize = static_cast<std::uint16_t>(entry.name.size());
    h.attributes = kAttributeArchive;
    std::array<std::uint8_t, archive::kFileHeaderSize> fixed{};
    archive::writeBlockHeader(h, fixed);
    appendSealed(out, fixed, entry.name);
    out.insert(out.end(), data.begin(), data.end());
    built_.push_back(std::move(info));
  }
  return out;
}

bool ArchiveWriter::writeArchive(std::string_view path) {
  auto bytes = buildArchive();
  if (!bytes) return false;
  if (!platform::writeWholeFile(path, bytes->data(), bytes->size())) {
    error_ = "cannot write '" + std::string(path) + "'";
    return false;
  }
  return true;
}

}  // namespace pack
