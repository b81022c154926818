# The world library's sources, for the desktop build and the web page alike.
set(tolvek_world_sources
  bsp_level.cpp
  camera_path.cpp
  md3_model.cpp
  character.cpp
  terrain.cpp)
