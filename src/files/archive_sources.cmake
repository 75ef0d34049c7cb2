# Directory walk and cabinets. Portable sources build natively too.
set(ARCHIVE_PORTABLE_SOURCES)
set(ARCHIVE_WIN_SOURCES
  files/archive_entries.cpp
)
set(ARCHIVE_RESOURCES)
