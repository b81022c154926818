// The box on the screen: SDL's modal message box.
#include <SDL.h>

#include "platform/message_box.h"

namespace platform {
namespace {

Uint32 sdlFlags(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Error: return SDL_MESSAGEBOX_ERROR;
    case BoxIcon::Warning: return SDL_MESSAGEBOX_WARNING;
    case BoxIcon::Information: break;
  }
  return SDL_MESSAGEBOX_INFORMATION;
}

}  // namespace

bool showBoxOnScreen(const std::string& caption, const std::string& text, BoxIcon icon, SDL_Window* owner) {
  return SDL_ShowSimpleMessageBox(sdlFlags(icon), caption.c_str(), text.c_str(), owner) == 0;
}

}  // namespace platform
