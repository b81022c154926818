# The archive library's sources, for the desktop build and the web page alike.
set(tolvek_archive_sources
  archive_reader.cpp
  crc32.cpp
  debug_log.cpp
  file_cipher.cpp
  huffman_table.cpp
  packed_reader.cpp
  unpacker.cpp)
