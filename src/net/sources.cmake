# Portable sources build natively too; win sources need windows.h.
set(NET_PORTABLE_SOURCES)
set(NET_WIN_SOURCES
  net/entries.cpp
)
set(NET_RESOURCES)
