# The application library's sources: the parts every host of the show uses (the web page
# too), and the desktop program's own (options, window, setup dialog, workbench, main loop).
set(tolvek_app_sources
  authoring_controls.cpp
  demo_config.cpp
  frame_stats.cpp)
set(tolvek_app_desktop_sources
  demo_main.cpp
  demo_window.cpp
  offscreen_frame.cpp
  window_picture.cpp
  options.cpp
  setup_dialog.cpp
  workbench.cpp)
