# Warnings are errors for the project's own builds (CI and developers set TOLVEK_WERROR=ON in
# the environment), never for a user's or packager's build.
if(DEFINED ENV{TOLVEK_WERROR})
  set(tolvek_werror_default $ENV{TOLVEK_WERROR})
else()
  set(tolvek_werror_default OFF)
endif()
option(TOLVEK_WERROR "Treat compiler warnings as errors" ${tolvek_werror_default})
