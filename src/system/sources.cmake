# Portable sources build natively too; win sources need windows.h.
set(SYSTEM_PORTABLE_SOURCES)
set(SYSTEM_WIN_SOURCES
  system/entries.cpp
)
set(SYSTEM_RESOURCES)
