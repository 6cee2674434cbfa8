# Copies the freshly built study database into the program folder unless one is already there:
# the existing file carries the candidate's progress and must never be replaced by a build.
# The data folder and the database are the user's alone (0700, 0600).
get_filename_component(dir "${DST}" DIRECTORY)
if(NOT EXISTS "${DST}")
  file(MAKE_DIRECTORY "${dir}")
  file(COPY_FILE "${SRC}" "${DST}")
  file(CHMOD "${DST}" PERMISSIONS OWNER_READ OWNER_WRITE)
  message(STATUS "Installed ${DST}")
endif()
file(CHMOD "${dir}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
