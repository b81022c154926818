// Extraction speed of the archive reader against zlib's inflate on the same 8 MiB of data
// (text-like and binary), plus the packed sizes of both. The archives come from our own
// writer, zlib's streams from compress2 at level 6.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "pack/archive_writer.h"
#include "pack/sample_data.h"
#include "platform/file_system.h"

namespace {

constexpr std::size_t kCorpusSize = 8u << 20;

struct Corpus {
  std::vector<std::uint8_t> data;
  std::string archivePath;
  std::size_t archiveBytes = 0;
  std::size_t packedBytes = 0;
  std::vector<std::uint8_t> zlibStream;
};

std::string benchFolder() {
  static const std::string folder = [] {
    const std::string path = "/tmp/tolvek_bench_archive_" + std::to_string(::getpid());
    if (!platform::createFolders(path)) std::abort();
    return path;
  }();
  return folder;
}

Corpus makeCorpus(const char* name, std::vector<std::uint8_t> data) {
  Corpus c;
  c.data = std::move(data);
  c.archivePath = benchFolder() + "/" + name + ".dat";
  pack::ArchiveWriter writer;
  writer.addEntry(name, c.data);
  if (!writer.writeArchive(c.archivePath)) std::abort();
  c.packedBytes = writer.entries().at(0).packedSize;
  c.archiveBytes = platform::readWholeFile(c.archivePath)->size();
  uLongf bound = compressBound(c.data.size());
  c.zlibStream.resize(bound);
  if (compress2(c.zlibStream.data(), &bound, c.data.data(), c.data.size(), 6) != Z_OK) std::abort();
  c.zlibStream.resize(bound);
  return c;
}

Corpus& textCorpus() {
  static Corpus c = makeCorpus("text", pack::sampleText(kCorpusSize, 1));
  return c;
}
Corpus& binaryCorpus() {
  static Corpus c = makeCorpus("binary", pack::sampleBinary(kCorpusSize, 2));
  return c;
}

void extract(benchmark::State& state, Corpus& c, const char* entry) {
  for (auto _ : state) {
    std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
    if (!archive::extractFile(&data, &size, entry, c.archivePath.c_str(), nullptr) || size != c.data.size()) {
      state.SkipWithError("extraction failed");
      break;
    }
    benchmark::DoNotOptimize(data);
    std::free(data);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.data.size()));
  state.counters["packed"] = static_cast<double>(c.packedBytes);
}

void inflate(benchmark::State& state, Corpus& c) {
  std::vector<std::uint8_t> out(c.data.size());
  for (auto _ : state) {
    uLongf size = out.size();
    if (uncompress(out.data(), &size, c.zlibStream.data(), c.zlibStream.size()) != Z_OK || size != c.data.size()) {
      state.SkipWithError("inflate failed");
      break;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.data.size()));
  state.counters["packed"] = static_cast<double>(c.zlibStream.size());
}

void BM_ExtractText(benchmark::State& state) { extract(state, textCorpus(), "text"); }
void BM_InflateText(benchmark::State& state) { inflate(state, textCorpus()); }
void BM_ExtractBinary(benchmark::State& state) { extract(state, binaryCorpus(), "binary"); }
void BM_InflateBinary(benchmark::State& state) { inflate(state, binaryCorpus()); }

BENCHMARK(BM_ExtractText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateBinary)->Unit(benchmark::kMillisecond);

void printSizes(const char* label, const Corpus& c) {
  std::printf("%-7s %zu bytes: archive entry %zu (whole file %zu), zlib level 6 %zu, ratio %.4f\n", label,
              c.data.size(), c.packedBytes, c.archiveBytes, c.zlibStream.size(),
              static_cast<double>(c.packedBytes) / static_cast<double>(c.zlibStream.size()));
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  printSizes("text", textCorpus());
  printSizes("binary", binaryCorpus());
  std::fflush(stdout);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  platform::deleteFile(textCorpus().archivePath);
  platform::deleteFile(binaryCorpus().archivePath);
  platform::removeFolder(benchFolder());
  return 0;
}
