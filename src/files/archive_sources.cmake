# Directory walk and cabinets. Portable sources build natively too.
set(ARCHIVE_PORTABLE_SOURCES
  files/cabinet_paths.cpp
  files/traverse_command.cpp
  files/traverse_walk.cpp
)
set(ARCHIVE_WIN_SOURCES
  files/archive_entries.cpp
  files/cabinet_compress.cpp
  files/cabinet_extract.cpp
  files/cabinet_functions.cpp
  files/cabinet_io.cpp
  files/traverse_function.cpp
)
set(ARCHIVE_RESOURCES)
