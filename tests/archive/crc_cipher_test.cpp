#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "archive/crc32.h"
#include "archive/file_cipher.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t crcOf(const std::string& text) { return archive::crc32(text.data(), text.size()); }

TEST(Crc32, KnownValues) {
  EXPECT_EQ(crcOf(""), 0u);
  EXPECT_EQ(crcOf("a"), 0xE8B7BE43u);
  EXPECT_EQ(crcOf("123456789"), 0xCBF43926u);
  EXPECT_EQ(crcOf("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
  EXPECT_EQ(archive::crcTable()[1], 0x77073096u);
  EXPECT_EQ(archive::crcTable()[255], 0x2D02EF8Du);
}

TEST(Crc32, WideLoopsAgreeWithByteByByte) {
  // Lengths and starts around the 8-, 16- and 64-byte strides of the fast paths.
  Bytes data(70000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = std::uint8_t((i * 2654435761u) >> 13);
  for (std::size_t start : {0, 1, 3, 8, 15}) {
    for (std::size_t size : {0, 7, 63, 64, 255, 256, 257, 319, 320, 335, 1000, 4103, 65536}) {
      std::uint32_t byByte = 0;
      for (std::size_t i = 0; i < size; ++i) byByte = archive::crc32(&data[start + i], 1, byByte);
      EXPECT_EQ(archive::crc32(data.data() + start, size), byByte) << start << " " << size;
    }
  }
}

TEST(Crc32, ChainsAcrossPiecesOfEveryLength) {
  // Lengths around the eight-byte stride and unaligned starts are where a fast loop slips.
  Bytes data(300);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = std::uint8_t(i * 131 + 7);
  const std::uint32_t whole = archive::crc32(data.data(), data.size());
  std::uint32_t byByte = 0;
  for (std::uint8_t b : data) byByte = archive::crc32(&b, 1, byByte);
  EXPECT_EQ(byByte, whole);
  for (std::size_t split = 0; split <= data.size(); split += 7) {
    const std::uint32_t first = archive::crc32(data.data(), split);
    EXPECT_EQ(archive::crc32(data.data() + split, data.size() - split, first), whole) << split;
  }
}

Bytes pattern(std::size_t size) {
  Bytes data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = std::uint8_t(i * 37 + (i >> 3));
  return data;
}

Bytes encrypt(const std::string& password, Bytes data) {
  archive::FileCipher cipher;
  cipher.initCipher(password);
  for (std::size_t i = 0; i < data.size(); i += 16) cipher.encipherBlock(data.data() + i);
  return data;
}

Bytes decrypt(const std::string& password, Bytes data) {
  archive::FileCipher cipher;
  cipher.initCipher(password);
  for (std::size_t i = 0; i < data.size(); i += 16) cipher.decipherBlock(data.data() + i);
  return data;
}

TEST(FileCipher, RoundTripsForPasswordsOfEveryShape) {
  const Bytes plain = pattern(16 * 9);
  // One character (odd length, zero partner byte), exactly one block, one byte into the
  // second block, several blocks.
  for (const std::string& password :
       {std::string("x"), std::string("0123456789abcdef"), std::string("0123456789abcdefg"),
        std::string("The demo's archives carry a forty-char key")}) {
    const Bytes cipherText = encrypt(password, plain);
    EXPECT_NE(cipherText, plain) << password;
    EXPECT_EQ(decrypt(password, cipherText), plain) << password;
  }
}

TEST(FileCipher, KeyDependsOnEveryPasswordCharacter) {
  const Bytes plain = pattern(64);
  const Bytes reference = encrypt("0123456789abcdef", plain);
  EXPECT_NE(encrypt("0123456789abcdefg", plain), reference);  // the 17th character counts
  EXPECT_NE(encrypt("1123456789abcdef", plain), reference);
  EXPECT_NE(encrypt("0123456789abcdeF", plain), reference);
  EXPECT_NE(decrypt("0123456789abcdeF", reference), plain);
}

TEST(FileCipher, PasswordsAreCutAtTheBufferSize) {
  const std::string longest(archive::FileCipher::kMaxPasswordLength, 'p');
  const Bytes plain = pattern(48);
  EXPECT_EQ(encrypt(longest + "tail beyond the buffer", plain), encrypt(longest, plain));
  EXPECT_NE(encrypt(longest.substr(1), plain), encrypt(longest, plain));
}

TEST(FileCipher, KeyStateFollowsTheCipherText) {
  const Bytes plain = pattern(48);
  const Bytes cipherText = encrypt("secret", plain);
  // Identical blocks encrypt differently because the keys move on after each block.
  const Bytes same = encrypt("secret", Bytes(32, 0xAA));
  EXPECT_NE(Bytes(same.begin(), same.begin() + 16), Bytes(same.begin() + 16, same.end()));

  // Same set-up, same cipher text: same plain text, every time.
  EXPECT_EQ(decrypt("secret", cipherText), decrypt("secret", cipherText));

  // Out of order the key state is wrong for the swapped blocks.
  archive::FileCipher cipher;
  cipher.initCipher("secret");
  Bytes swapped = cipherText;
  cipher.decipherBlock(swapped.data() + 16);
  cipher.decipherBlock(swapped.data());
  cipher.decipherBlock(swapped.data() + 32);
  EXPECT_NE(Bytes(swapped.begin() + 16, swapped.begin() + 32), Bytes(plain.begin() + 16, plain.begin() + 32));
  EXPECT_NE(Bytes(swapped.begin(), swapped.begin() + 16), Bytes(plain.begin(), plain.begin() + 16));
  // The mixing XORs in table words, so once both swapped blocks are through the keys agree
  // again and the third block comes out right.
  EXPECT_EQ(Bytes(swapped.begin() + 32, swapped.end()), Bytes(plain.begin() + 32, plain.end()));
}

TEST(FileCipher, InitCipherStartsOver) {
  archive::FileCipher cipher;
  cipher.initCipher("again");
  Bytes first = pattern(32);
  cipher.encipherBlock(first.data());
  cipher.initCipher("again");
  Bytes second = pattern(32);
  cipher.encipherBlock(second.data());
  EXPECT_EQ(first, second);
}

}  // namespace
