# The demo library's sources, for the desktop build and the web page alike.
set(tolvek_demo_sources
  end_scene.cpp
  final_scene.cpp
  intro_objects.cpp
  intro_overlay.cpp
  island_scene.cpp
  loading_sequence.cpp
  scene_drawing.cpp
  scene_objects.cpp
  second_level.cpp
  show.cpp
  timeline.cpp
  tunnel.cpp)
