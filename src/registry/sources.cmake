# Portable sources build natively too; win sources need windows.h.
set(REGISTRY_PORTABLE_SOURCES)
set(REGISTRY_WIN_SOURCES
  registry/entries.cpp
)
set(REGISTRY_RESOURCES)
