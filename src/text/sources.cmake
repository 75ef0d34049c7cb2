# Portable sources build natively too; win sources need windows.h.
set(TEXT_PORTABLE_SOURCES
  text/chinese_chars.cpp
  text/chinese_tables.cpp
  text/parse_string.cpp
  text/rmb_numerals.cpp
  text/wildcard.cpp
)
set(TEXT_WIN_SOURCES
  text/classify_functions.cpp
  text/code_page_functions.cpp
  text/match_functions.cpp
  text/numeral_functions.cpp
  text/parse_string_functions.cpp
)
set(TEXT_RESOURCES)
