# Portable sources build natively too; win sources need windows.h.
set(FILES_PORTABLE_SOURCES)
set(FILES_WIN_SOURCES
  files/entries.cpp
)
set(FILES_RESOURCES)
