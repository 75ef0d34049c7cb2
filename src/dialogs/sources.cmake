# Portable sources build natively too; win sources need windows.h.
set(DIALOGS_PORTABLE_SOURCES)
set(DIALOGS_WIN_SOURCES
  dialogs/entries.cpp
)
set(DIALOGS_RESOURCES)
