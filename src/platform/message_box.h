// Modal message boxes. Unattended runs (recording, tests, no display) write each box to
// standard error as "[caption] text" and go on.
#pragma once

#include <functional>
#include <string>

struct SDL_Window;

namespace platform {

enum class BoxIcon { Error, Warning, Information };

void showMessageBox(const std::string& caption, const std::string& text,
                    BoxIcon icon = BoxIcon::Information, SDL_Window* owner = nullptr);

void setUnattended(bool unattended);
bool isUnattended();

// Tests watch the boxes through a sink; it replaces both the dialog and standard error.
using MessageBoxSink = std::function<void(const std::string& caption, const std::string& text)>;
void setMessageBoxSink(MessageBoxSink sink);

// Inside the layer: the box shown to the viewer (SDL's dialog on the desktop, the page's box
// in a browser). False when none could be shown.
bool showBoxOnScreen(const std::string& caption, const std::string& text, BoxIcon icon, SDL_Window* owner);

}  // namespace platform
