# Portable sources build natively too; win sources need windows.h.
set(TEXT_PORTABLE_SOURCES)
set(TEXT_WIN_SOURCES
  text/entries.cpp
)
set(TEXT_RESOURCES)
