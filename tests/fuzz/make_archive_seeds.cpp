// Writes the hand-built seed archives of the extraction fuzzer into the folder given as the
// only argument: stored, encrypted, solid, compressed and audio entries under the entry names
// the fuzz target asks for.
#include <cstdio>
#include <initializer_list>
#include <string>

#include "archive_builder.h"

using namespace archive_testing;

namespace {

TestEntry stored(const std::string& name, const std::string& text, const std::string& password = {}) {
  TestEntry entry;
  entry.name = name;
  entry.data = bytesOf(text);
  entry.password = password;
  return entry;
}

TestEntry compressed(const std::string& name, bool withPassword) {
  // Literals, a new match, a repeated match and a short match under one table set.
  TableLengths t;
  for (int s : std::initializer_list<int>{'a', 'b', 'c', 256, 257, 261, 272}) t.main[std::size_t(s)] = 3;
  t.dist[0] = 1;
  t.dist[2] = 1;
  t.repLen[0] = 1;
  BitWriter bits;
  writeTables(bits, t);
  CodeBook main(t.main);
  CodeBook dist(t.dist);
  CodeBook repLen(t.repLen);
  for (int s : {'a', 'b', 'c'}) main.put(bits, s);
  main.put(bits, 272);  // length 5 at distance 3
  dist.put(bits, 2);
  main.put(bits, 256);  // again
  main.put(bits, 257);  // distance 3, length 2
  repLen.put(bits, 0);
  main.put(bits, 261);  // distance 1 + 2 bits, length 2
  bits.put(0, 2);
  std::string text = "abc";
  auto copy = [&](std::size_t length, std::size_t distance) {
    for (std::size_t i = 0; i < length; ++i) text += text[text.size() - distance];
  };
  copy(5, 3);
  copy(5, 3);
  copy(2, 3);
  copy(2, 1);
  TestEntry entry;
  entry.name = name;
  entry.data = bytesOf(text);
  entry.packed = bits.bytes();
  entry.method = 0x33;
  if (withPassword) entry.password = "pw";
  return entry;
}

TestEntry audio(const std::string& name) {
  BitWriter bits;
  bits.put(0b1001, 4);  // audio, two channels
  for (int i = 0; i < 16; ++i) bits.put(4, 4);
  for (int i = 16; i < 19; ++i) bits.put(0, 4);
  std::vector<int> lengths(514, 0);
  lengths[1] = lengths[2] = lengths[257 + 1] = lengths[257 + 2] = 1;
  for (int l : lengths) bits.put(std::uint32_t(l), 4);
  for (int i = 0; i < 40; ++i) bits.put(std::uint32_t(i % 3 == 0), 1);
  TestEntry entry;
  entry.name = name;
  entry.packed = bits.bytes();
  entry.data = Bytes(40, 0);  // the CRC will not match: the seed is about the code path
  entry.method = 0x35;
  return entry;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  ArchiveBuilder().add(stored("x", "plain stored entry")).writeTo(folder + "/stored.rar");
  ArchiveBuilder().add(stored("a\\b.bin", "encrypted stored entry", "pw")).writeTo(folder + "/encrypted.rar");
  ArchiveBuilder().marker(bytesOf("Vantor!")).add(stored("data.bin", "alternative marker")).writeTo(folder + "/vantor.rar");
  ArchiveBuilder().add(compressed("x", false)).add(compressed("data.bin", true)).writeTo(folder + "/compressed.rar");
  ArchiveBuilder().solid().add(compressed("first", false)).add(stored("mid", "m")).add(compressed("a/b.bin", false)).writeTo(folder + "/solid.rar");
  ArchiveBuilder().add(audio("x")).writeTo(folder + "/audio.rar");
  ArchiveBuilder().addBlock(0x75, bytesOf("comment")).addBlock(0x77).add(stored("x", "after sub-block")).writeTo(folder + "/blocks.rar");
  return 0;
}
