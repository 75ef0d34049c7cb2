# Directory walk and cabinets. Portable sources build natively too; win
# sources need windows.h.
set(ARCHIVE_PORTABLE_SOURCES
  archive/cabinet_paths.cpp
  archive/traverse_command.cpp
  archive/traverse_walk.cpp
)
set(ARCHIVE_WIN_SOURCES
  archive/cabinet_compress.cpp
  archive/cabinet_extract.cpp
  archive/cabinet_functions.cpp
  archive/cabinet_io.cpp
  archive/traverse_function.cpp
)
set(ARCHIVE_RESOURCES)
