// Key states in a browser: the page hands over each key event by the key's place on a US
// keyboard (KeyboardEvent.code, whatever the layout prints on it), mapped here to the
// virtual-key codes the demo reads.
#include <emscripten.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/keyboard.h"

namespace platform {

KeyState keys;

namespace {

int virtualKeyFromCode(std::string_view code) {
  if (code.size() == 4 && code.substr(0, 3) == "Key" && code[3] >= 'A' && code[3] <= 'Z') return code[3];
  if (code.size() == 6 && code.substr(0, 5) == "Digit" && code[5] >= '0' && code[5] <= '9') return code[5];
  if (code.size() >= 2 && code[0] == 'F' && code.size() <= 3) {
    const int n = std::atoi(std::string(code.substr(1)).c_str());
    if (n >= 1 && n <= 12) return kVkF1 + n - 1;
  }
  if (code.size() == 7 && code.substr(0, 6) == "Numpad" && code[6] >= '0' && code[6] <= '9')
    return kVkNumpad0 + (code[6] - '0');
  static constexpr struct {
    std::string_view code;
    int key;
  } named[] = {{"Backspace", kVkBack},       {"Tab", kVkTab},           {"Enter", kVkReturn},
               {"NumpadEnter", kVkReturn},   {"ShiftLeft", kVkShift},   {"ShiftRight", kVkShift},
               {"ControlLeft", kVkControl},  {"ControlRight", kVkControl}, {"AltLeft", kVkMenu},
               {"AltRight", kVkMenu},        {"Escape", kVkEscape},     {"Space", kVkSpace},
               {"PageUp", kVkPrior},         {"PageDown", kVkNext},     {"End", kVkEnd},
               {"Home", kVkHome},            {"ArrowLeft", kVkLeft},    {"ArrowUp", kVkUp},
               {"ArrowRight", kVkRight},     {"ArrowDown", kVkDown},    {"Insert", kVkInsert},
               {"Delete", kVkDelete},        {"NumpadMultiply", kVkMultiply}, {"NumpadAdd", kVkAdd},
               {"NumpadSubtract", kVkSubtract}, {"NumpadDecimal", kVkDecimal}, {"NumpadDivide", kVkDivide}};
  for (const auto& n : named)
    if (n.code == code) return n.key;
  return 0;
}

}  // namespace

}  // namespace platform

// Called by the page for every key down and up; true when the show reads that key.
extern "C" EMSCRIPTEN_KEEPALIVE int tolvekKey(const char* code, int down) {
  const int vk = platform::virtualKeyFromCode(code ? code : "");
  if (vk) platform::keys.down[static_cast<std::size_t>(vk)] = down != 0;
  return vk != 0;
}
