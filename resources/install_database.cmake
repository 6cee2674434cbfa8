# Copies the freshly built study database into the program folder unless one is already there:
# the existing file carries the candidate's progress and must never be replaced by a build.
if(NOT EXISTS "${DST}")
  get_filename_component(dir "${DST}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  file(COPY_FILE "${SRC}" "${DST}")
  message(STATUS "Installed ${DST}")
endif()
