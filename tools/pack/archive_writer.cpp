#include "pack/archive_writer.h"

#include "archive/crc32.h"
#include "archive/file_cipher.h"
#include "platform/file_system.h"

namespace pack {
namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// Header CRC: low half of the CRC-32 of everything after the CRC field itself.
void sealHeader(std::vector<std::uint8_t>& out, size_t headerStart) {
  const std::uint32_t crc = archive::crc32(out.data() + headerStart + 2, out.size() - headerStart - 2);
  out[headerStart] = static_cast<std::uint8_t>(crc);
  out[headerStart + 1] = static_cast<std::uint8_t>(crc >> 8);
}

std::vector<std::uint8_t> encrypt(std::vector<std::uint8_t> data, const std::string& password) {
  data.resize((data.size() + 15) / 16 * 16, 0);
  archive::FileCipher cipher;
  cipher.initCipher(password);
  for (size_t i = 0; i < data.size(); i += 16) cipher.encipherBlock(data.data() + i);
  return data;
}

}  // namespace

ArchiveWriter::ArchiveWriter(PackOptions options) : options_(std::move(options)) {}

bool ArchiveWriter::addEntry(std::string name, std::vector<std::uint8_t> bytes, std::uint32_t dosTime) {
  if (name.empty() || name.size() > kMaxNameLength) {
    error_ = "entry name must have 1 to " + std::to_string(kMaxNameLength) + " bytes: '" + name + "'";
    return false;
  }
  if (name.find('\0') != std::string::npos) {
    error_ = "entry name contains a zero byte";
    return false;
  }
  if (bytes.size() > 0xFFFFFFF0u) {
    error_ = "entry '" + name + "' is too large for the format (4 GiB)";
    return false;
  }
  pending_.push_back({std::move(name), std::move(bytes), dosTime});
  return true;
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
  std::vector<bool> continues(pending_.size(), false);
  if (!options_.store && options_.solid) {
    Compressor chain;
    std::vector<size_t> members;
    for (size_t i = 0; i < pending_.size(); ++i)
      if (chain.addEntry(pending_[i].bytes)) members.push_back(i);
    auto streams = chain.finish(alignment);
    for (size_t k = 0; k < members.size(); ++k) {
      packed[members[k]] = std::move(streams[k]);
      continues[members[k]] = k > 0;
    }
    stats_ = chain.stats();
  } else if (!options_.store) {
    for (size_t i = 0; i < pending_.size(); ++i) {
      Compressor single;
      if (!single.addEntry(pending_[i].bytes)) continue;
      auto streams = single.finish(alignment);
      if (streams[0].size() >= (pending_[i].bytes.size() + alignment - 1) / alignment * alignment) continue;
      packed[i] = std::move(streams[0]);
      stats_.add(single.stats());
    }
  }

  std::vector<std::uint8_t> out(kMarker.begin(), kMarker.end());
  const size_t mainStart = out.size();
  put16(out, 0);
  out.push_back(kMainHeaderType);
  put16(out, options_.solid ? kMainFlagSolid : 0);
  put16(out, kMainHeaderSize);
  put16(out, 0);
  put32(out, 0);
  sealHeader(out, mainStart);

  for (size_t i = 0; i < pending_.size(); ++i) {
    const Pending& entry = pending_[i];
    EntryInfo info;
    info.name = entry.name;
    info.unpackedSize = static_cast<std::uint32_t>(entry.bytes.size());
    info.crc = archive::crc32(entry.bytes.data(), entry.bytes.size());
    info.method = packed[i] ? kMethodCompressed : kMethodStored;
    info.flags = kFlagHasData;
    if (encrypted) info.flags |= kFlagEncrypted;
    if (continues[i]) info.flags |= kFlagSolid;
    std::vector<std::uint8_t> data = packed[i] ? std::move(*packed[i]) : entry.bytes;
    if (encrypted) data = encrypt(std::move(data), options_.password);
    if (data.size() > 0xFFFFFFFFu) {
      error_ = "entry '" + entry.name + "' is too large for the format";
      return std::nullopt;
    }
    info.packedSize = static_cast<std::uint32_t>(data.size());

    const size_t headerStart = out.size();
    put16(out, 0);
    out.push_back(kFileHeaderType);
    put16(out, info.flags);
    put16(out, static_cast<std::uint32_t>(kFileHeaderFixedSize + entry.name.size()));
    put32(out, info.packedSize);
    put32(out, info.unpackedSize);
    out.push_back(kHostMsDos);
    put32(out, info.crc);
    put32(out, entry.dosTime);
    out.push_back(kUnpackVersion);
    out.push_back(info.method);
    put16(out, static_cast<std::uint32_t>(entry.name.size()));
    put32(out, kAttributeArchive);
    out.insert(out.end(), entry.name.begin(), entry.name.end());
    sealHeader(out, headerStart);
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
