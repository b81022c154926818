// Key states by Windows virtual-key code, as the demo reads them (Escape is 27, the arrows
// 37-40, letters 65-90, digits 48-57), and the mapping from SDL scan codes.
#pragma once

#include <array>

namespace platform {

enum VirtualKey : int {
  kVkBack = 8,
  kVkTab = 9,
  kVkReturn = 13,
  kVkShift = 16,
  kVkControl = 17,
  kVkMenu = 18,
  kVkEscape = 27,
  kVkSpace = 32,
  kVkPrior = 33,
  kVkNext = 34,
  kVkEnd = 35,
  kVkHome = 36,
  kVkLeft = 37,
  kVkUp = 38,
  kVkRight = 39,
  kVkDown = 40,
  kVkInsert = 45,
  kVkDelete = 46,
  kVkNumpad0 = 96,
  kVkMultiply = 106,
  kVkAdd = 107,
  kVkSubtract = 109,
  kVkDecimal = 110,
  kVkDivide = 111,
  kVkF1 = 112,
};

struct KeyState {
  std::array<bool, 256> down{};
  // Set when a key goes down (not by its auto-repeat), until the author's workbench takes it:
  // a press and release between two frames still counts there.
  std::array<bool, 256> pressed{};
};
extern KeyState keys;

// The virtual-key code for an SDL scan code (SDL_Scancode: the key's place on a US keyboard,
// whatever the layout), or 0 when the demo has none.
int virtualKeyFromScancode(int scancode);

}  // namespace platform
