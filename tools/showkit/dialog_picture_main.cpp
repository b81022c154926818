// tolvek-dialog-picture OUT.cpp: writes the setup dialog's picture as a C++ source that the
// program is built with, so the dialog shows its picture without the show folder.
#include <cstdio>
#include <string>

#include "show_kit.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tolvek-dialog-picture OUT.cpp\n");
    return 2;
  }
  const std::vector<std::uint8_t> jpeg = showkit::dialogPictureJpeg();
  if (jpeg.empty()) {
    std::fprintf(stderr, "tolvek-dialog-picture: the Liberation fonts are missing (package fonts-liberation2)\n");
    return 1;
  }
  std::string text =
      "// Made by tolvek-dialog-picture (tools/showkit): the setup dialog's picture, a JPEG.\n"
      "#include \"app/dialog_picture.h\"\n\n"
      "namespace app {\n\nconst std::uint8_t kDialogPictureBytes[] = {";
  for (size_t i = 0; i < jpeg.size(); ++i) {
    text += i % 20 == 0 ? "\n   " : "";
    text += " " + std::to_string(jpeg[i]) + ",";
  }
  text += "\n};\n\nstd::span<const std::uint8_t> dialogPictureJpeg() { return kDialogPictureBytes; }\n\n}  // namespace app\n";
  // Written whole under a temporary name, so a failed run leaves no half source.
  const std::string temp = std::string(argv[1]) + ".part";
  std::FILE* out = std::fopen(temp.c_str(), "wb");
  bool ok = out && std::fwrite(text.data(), 1, text.size(), out) == text.size();
  if (out) ok = std::fclose(out) == 0 && ok;
  ok = ok && std::rename(temp.c_str(), argv[1]) == 0;
  if (!ok) {
    std::remove(temp.c_str());
    std::fprintf(stderr, "tolvek-dialog-picture: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
