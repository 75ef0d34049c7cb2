# The composition root above the families: the function table, DllMain and
# the dispatch entry. Windows only.
set(LIBRARY_PORTABLE_SOURCES)
set(LIBRARY_WIN_SOURCES
  library/dispatch.cpp
  library/function_table.cpp
)
set(LIBRARY_RESOURCES)
