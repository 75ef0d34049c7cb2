# Portable sources build natively too; win sources need windows.h.
set(REGISTRY_PORTABLE_SOURCES
  registry/default_path.cpp
)
set(REGISTRY_WIN_SOURCES
  registry/enum_functions.cpp
  registry/registry_session.cpp
  registry/session_functions.cpp
  registry/value_functions.cpp
)
set(REGISTRY_RESOURCES)
