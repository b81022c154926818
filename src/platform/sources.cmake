# The platform library's sources: those the web page compiles too, and the desktop's side of
# the seams (SDL's keyboard and message boxes, the clocks, signals, extension lookup), which
# the page has its own of.
set(tolvek_platform_sources
  crt_random.cpp
  file_system.cpp
  frame_timer.cpp
  message_box.cpp
  path_resolver.cpp
  render_state.cpp
  settings.cpp
  shared_quadric.cpp)
set(tolvek_platform_desktop_sources
  gl_extensions.cpp
  keyboard.cpp
  message_box_screen.cpp
  performance_counter.cpp
  stop_signals.cpp
  tick_count.cpp)
