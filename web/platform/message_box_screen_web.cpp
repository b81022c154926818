// The box on the screen in a browser: shown on the page (the show goes on behind it, as a
// page cannot wait for a click) and written to the console as "[caption] text".
#include <emscripten.h>

#include <cstdio>

#include "platform/message_box.h"

EM_JS(void, tolvekShowBox, (const char* caption, const char* text, int icon), {
  if (Module.showMessageBox) Module.showMessageBox(UTF8ToString(caption), UTF8ToString(text), icon);
});

namespace platform {

bool showBoxOnScreen(const std::string& caption, const std::string& text, BoxIcon icon, SDL_Window*) {
  std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
  tolvekShowBox(caption.c_str(), text.c_str(), static_cast<int>(icon));
  return true;
}

}  // namespace platform
