#include "platform/message_box.h"

#include <cstdio>

namespace platform {
namespace {

struct MessageBoxState {
  bool unattended = false;
  MessageBoxSink sink;
};
// Made on first use: other files' static initialisers (tests' unattended switches) may set it
// before this file's own globals are initialised.
MessageBoxState& boxState() {
  static MessageBoxState state;
  return state;
}

}  // namespace

void showMessageBox(const std::string& caption, const std::string& text, BoxIcon icon,
                    SDL_Window* owner) {
  if (boxState().sink) {
    boxState().sink(caption, text);
    return;
  }
  if (!boxState().unattended && showBoxOnScreen(caption, text, icon, owner)) return;
  std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
}

void setUnattended(bool unattended) { boxState().unattended = unattended; }
bool isUnattended() { return boxState().unattended; }
void setMessageBoxSink(MessageBoxSink sink) { boxState().sink = std::move(sink); }

}  // namespace platform
