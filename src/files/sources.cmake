# Portable sources build natively too; win sources need windows.h.
set(FILES_PORTABLE_SOURCES
  files/drive_texts.cpp
  files/ini_names.cpp
)
set(FILES_WIN_SOURCES
  files/drive_functions.cpp
  files/file_functions.cpp
  files/folder_functions.cpp
  files/ini_functions.cpp
  files/shell_operations.cpp
)
set(FILES_RESOURCES)
