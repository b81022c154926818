# The effects library's sources, for the desktop build and the web page alike: the view
# frustum, procedural meshes, screen pictures and pixel scale; veils and echo trail, particle
# fountain, sky box, light sprites.
set(tolvek_fx_sources
  view_frustum.cpp
  procedural_meshes.cpp
  screen_pictures.cpp
  pixel_scale.cpp
  veils.cpp
  particle_system.cpp
  sky_box.cpp
  light_sprites.cpp)
