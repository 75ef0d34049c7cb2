# Portable sources build natively too; win sources need windows.h.
set(TEXT_PORTABLE_SOURCES
  text/chinese_chars.cpp
  text/chinese_tables.cpp
  text/parse_string.cpp
  text/rmb_numerals.cpp
  text/wildcard.cpp
)
set(TEXT_WIN_SOURCES
  text/entries.cpp
)
set(TEXT_RESOURCES)
