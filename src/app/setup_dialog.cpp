#include "app/setup_dialog.h"

#include <GL/gl.h>
#include <SDL.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <cstdint>
#include <cstdio>

#include "app/dialog_picture.h"
#include "platform/stop_signals.h"
#include "resources/jpeg_texture.h"

namespace app {

namespace {

std::function<void(int)> dialogDriver;

// The template's dialog units in pixels for its 8-point font.
constexpr float kUnitX = 1.5f;
constexpr float kUnitY = 1.625f;

struct TemplateBox {
  int control;
  int x, y, width, height;  // dialog units
};
constexpr TemplateBox kTemplate[] = {
    {kRunButton, 115, 174, 35, 11}, {kByeButton, 151, 174, 35, 11}, {kMode640, 23, 148, 42, 8},
    {kMode800, 23, 158, 43, 8},     {kMode1024, 23, 168, 46, 8},    {kFullscreenBox, 127, 148, 68, 8},
    {kMode512, 21, 172, 46, 8},     {kDepth16, 113, 161, 36, 8},    {kDepth32, 153, 162, 37, 8},
};

constexpr float kPictureX = 5.0f, kPictureY = 3.0f;
constexpr int kPictureWidth = 300, kPictureHeight = 225;

const char* const kFontFiles[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
};

// The show's look: dark stone, warm fire for what is chosen, white text.
void applyStyle() {
  ImGuiStyle& style = ImGui::GetStyle();
  ImGui::StyleColorsDark(&style);
  style.WindowPadding = ImVec2(0, 0);
  style.WindowRounding = 0;
  style.WindowBorderSize = 0;
  style.FramePadding = ImVec2(2, 1);
  style.FrameRounding = 2;
  style.ItemInnerSpacing = ImVec2(5, 2);
  ImVec4* c = style.Colors;
  c[ImGuiCol_WindowBg] = ImVec4(0.075f, 0.068f, 0.066f, 1);
  c[ImGuiCol_Text] = ImVec4(0.93f, 0.90f, 0.86f, 1);
  c[ImGuiCol_FrameBg] = ImVec4(0.19f, 0.17f, 0.16f, 1);
  c[ImGuiCol_FrameBgHovered] = ImVec4(0.30f, 0.20f, 0.14f, 1);
  c[ImGuiCol_FrameBgActive] = ImVec4(0.42f, 0.22f, 0.10f, 1);
  c[ImGuiCol_CheckMark] = ImVec4(1.00f, 0.62f, 0.22f, 1);
  c[ImGuiCol_Button] = ImVec4(0.26f, 0.19f, 0.15f, 1);
  c[ImGuiCol_ButtonHovered] = ImVec4(0.52f, 0.27f, 0.11f, 1);
  c[ImGuiCol_ButtonActive] = ImVec4(0.70f, 0.34f, 0.10f, 1);
  c[ImGuiCol_NavHighlight] = ImVec4(1.00f, 0.62f, 0.22f, 1);
}

// The picture as a texture of the dialog's context; 0 when it cannot be decoded.
GLuint makePictureTexture() {
  resources::JpegImage image;
  if (!resources::decodeJpegBytes(dialogPictureJpeg(), image) || image.components != 3) return 0;
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, image.width, image.height, 0, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
  return texture;
}

// Underlines the first letter of the last button's centred label: its mnemonic.
void underlineMnemonic(const char* label) {
  const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
  const ImVec2 text = ImGui::CalcTextSize(label);
  const char first[2] = {label[0], '\0'};
  const float x0 = (min.x + max.x - text.x) * 0.5f;
  const float y = (min.y + max.y + text.y) * 0.5f;
  ImGui::GetWindowDrawList()->AddLine(ImVec2(x0, y), ImVec2(x0 + ImGui::CalcTextSize(first).x, y),
                                      ImGui::GetColorU32(ImGuiCol_Text));
}

void placeAt(int control) {
  const ControlBox box = dialogControlBox(control);
  ImGui::SetCursorPos(ImVec2(box.x, box.y));
}

// The window, its GL context and the ImGui context, made together and given back together.
struct DialogWindow {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  bool imgui = false;
  GLuint picture = 0;

  bool open() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    window = SDL_CreateWindow("Tolvek options", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kDialogWidth,
                              kDialogHeight, SDL_WINDOW_OPENGL);
    if (!window) return false;
    context = SDL_GL_CreateContext(window);
    if (!context) return false;
    SDL_GL_MakeCurrent(window, context);
    SDL_GL_SetSwapInterval(1);
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    imgui = true;
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
    const int keys[][2] = {{ImGuiKey_LeftArrow, SDL_SCANCODE_LEFT},
                           {ImGuiKey_RightArrow, SDL_SCANCODE_RIGHT}, {ImGuiKey_UpArrow, SDL_SCANCODE_UP},
                           {ImGuiKey_DownArrow, SDL_SCANCODE_DOWN},   {ImGuiKey_Space, SDL_SCANCODE_SPACE},
                           {ImGuiKey_Enter, SDL_SCANCODE_RETURN},     {ImGuiKey_Escape, SDL_SCANCODE_ESCAPE}};
    for (const auto& k : keys) io.KeyMap[k[0]] = k[1];
    for (const char* file : kFontFiles)
      if (SDL_RWops* probe = SDL_RWFromFile(file, "rb")) {
        SDL_RWclose(probe);
        io.Fonts->AddFontFromFileTTF(file, 13.0f);
        break;
      }
    applyStyle();
    ImGui_ImplOpenGL2_Init();
    picture = makePictureTexture();
    return true;
  }

  ~DialogWindow() {
    if (picture) glDeleteTextures(1, &picture);
    if (imgui) {
      ImGui_ImplOpenGL2_Shutdown();
      ImGui::DestroyContext();
    }
    if (context) SDL_GL_DeleteContext(context);
    if (window) SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
};

enum class Action { None, Run, Bye };

// One frame's input into ImGui. A mouse button or key change ends the frame's reading, so
// that a press and its release always fall in different frames (ImGui sees states, not
// events).
Action readEvents(bool byeHasFocus, int& tabs) {
  ImGuiIO& io = ImGui::GetIO();
  Action action = Action::None;
  SDL_Event e;
  // A signal closes the dialog like its close box.
  if (platform::stopRequested()) action = Action::Bye;
  while (action == Action::None && SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_QUIT:
        action = Action::Bye;
        break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) action = Action::Bye;
        break;
      case SDL_MOUSEMOTION:
        io.MousePos = ImVec2(static_cast<float>(e.motion.x), static_cast<float>(e.motion.y));
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT) {
          io.MousePos = ImVec2(static_cast<float>(e.button.x), static_cast<float>(e.button.y));
          io.MouseDown[0] = e.type == SDL_MOUSEBUTTONDOWN;
          return action;
        }
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const SDL_Scancode key = e.key.keysym.scancode;
        const bool down = e.type == SDL_KEYDOWN;
        if (down && (e.key.keysym.mod & KMOD_ALT)) {
          if (key == SDL_SCANCODE_R) action = Action::Run;
          if (key == SDL_SCANCODE_B) action = Action::Bye;
          break;
        }
        if (down && (key == SDL_SCANCODE_RETURN || key == SDL_SCANCODE_KP_ENTER)) {
          action = byeHasFocus ? Action::Bye : Action::Run;
          break;
        }
        // Tab moves the focus through the choices and buttons (Shift+Tab back); this ImGui's
        // own Tab only visits text fields.
        if (key == SDL_SCANCODE_TAB) {
          if (down) tabs += (e.key.keysym.mod & KMOD_SHIFT) ? -1 : 1;
          if (down) return action;
          break;
        }
        io.KeyShift = (e.key.keysym.mod & KMOD_SHIFT) != 0;
        if (key >= 0 && key < static_cast<int>(IM_ARRAYSIZE(io.KeysDown)) && io.KeysDown[key] != down) {
          io.KeysDown[key] = down;
          return action;  // like a button: a press and its release in different frames
        }
        break;
      }
      default:
        break;
    }
  }
  return action;
}

}  // namespace

ControlBox dialogControlBox(int control) {
  for (const TemplateBox& t : kTemplate)
    if (t.control == control)
      return {t.x * kUnitX, t.y * kUnitY, t.width * kUnitX, t.height * kUnitY};
  return {0, 0, 0, 0};
}

void setSetupDialogDriver(std::function<void(int frame)> driver) { dialogDriver = std::move(driver); }

void applyDialogChoices(const DialogChoices& c, platform::Settings& s) {
  if (c.fullscreen) s.fullscreen = true;
  const struct {
    int control, width, height;
  } modes[] = {{kMode512, 512, 384}, {kMode640, 640, 480}, {kMode800, 800, 600}, {kMode1024, 1024, 768}};
  for (const auto& m : modes)
    if (c.mode == m.control) s.screenWidth = m.width, s.screenHeight = m.height;
  if (c.depth == kDepth16) s.depthBits = 16;
  if (c.depth == kDepth32) s.depthBits = 32;
}

DialogResult runSetupDialog(platform::Settings& settings) {
  DialogWindow dialog;
  if (!dialog.open()) {
    std::fprintf(stderr, "tolvek: no options dialog (%s); the defaults are used\n", SDL_GetError());
    return DialogResult::NotShown;
  }

  DialogChoices choices;
  bool byeHasFocus = false;
  int tabs = 0;
  Action action = Action::None;
  for (int frame = 0; action == Action::None; ++frame) {
    if (dialogDriver) dialogDriver(frame);
    // Idle until there is input; the first frames draw at once.
    if (frame > 1) SDL_WaitEventTimeout(nullptr, 100);
    action = readEvents(byeHasFocus, tabs);
    if (action != Action::None) break;

    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(static_cast<float>(kDialogWidth), static_cast<float>(kDialogHeight));
    io.DeltaTime = 1.0f / 60.0f;
    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(io.DisplaySize);
    ImGui::Begin("options", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoBringToFrontOnFocus);
    if (dialog.picture) {
      ImGui::SetCursorPos(ImVec2(kPictureX, kPictureY));
      ImGui::Image(reinterpret_cast<ImTextureID>(static_cast<std::intptr_t>(dialog.picture)),
                   ImVec2(kPictureWidth, kPictureHeight));
    }
    // The resolutions; the 512 x 384 choice of the template is never shown. The controls in
    // their Tab order.
    ImGuiID order[8];
    int count = 0;
    placeAt(kMode640);
    ImGui::RadioButton("640x480", &choices.mode, kMode640);
    order[count++] = ImGui::GetItemID();
    placeAt(kMode800);
    ImGui::RadioButton("800x600", &choices.mode, kMode800);
    order[count++] = ImGui::GetItemID();
    placeAt(kMode1024);
    ImGui::RadioButton("1024x768", &choices.mode, kMode1024);
    order[count++] = ImGui::GetItemID();
    placeAt(kFullscreenBox);
    ImGui::Checkbox("Run Fullscreen", &choices.fullscreen);
    order[count++] = ImGui::GetItemID();
    placeAt(kDepth16);
    ImGui::RadioButton("16 bpp", &choices.depth, kDepth16);
    order[count++] = ImGui::GetItemID();
    placeAt(kDepth32);
    ImGui::RadioButton("32 bpp", &choices.depth, kDepth32);
    order[count++] = ImGui::GetItemID();

    const ControlBox run = dialogControlBox(kRunButton);
    placeAt(kRunButton);
    if (ImGui::Button("Run", ImVec2(run.width, run.height))) action = Action::Run;
    underlineMnemonic("Run");
    order[count++] = ImGui::GetItemID();
    placeAt(kByeButton);
    if (ImGui::Button("Bye Bye", ImVec2(run.width, run.height))) action = Action::Bye;
    underlineMnemonic("Bye Bye");
    order[count++] = ImGui::GetItemID();
    byeHasFocus = ImGui::IsItemFocused();
    if (tabs != 0) {
      // From the focused control (none yet: before the first), `tabs` steps round the order.
      int at = -1;
      for (int i = 0; i < count; ++i)
        if (order[i] == GImGui->NavId) at = i;
      if (at < 0 && tabs < 0) at = 0;
      const int next = ((at + tabs) % count + count) % count;
      ImGui::SetFocusID(order[next], ImGui::GetCurrentWindow());
      GImGui->NavDisableHighlight = false;
      GImGui->NavDisableMouseHover = true;
      tabs = 0;
    }
    ImGui::End();

    ImGui::Render();
    glViewport(0, 0, kDialogWidth, kDialogHeight);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    SDL_GL_SwapWindow(dialog.window);
  }
  if (action == Action::Bye) return DialogResult::Bye;
  applyDialogChoices(choices, settings);
  return DialogResult::Run;
}

}  // namespace app
