# Portable sources build natively too; win sources need windows.h.
set(SYSTEM_PORTABLE_SOURCES
  system/system_rules.cpp
)
set(SYSTEM_WIN_SOURCES
  system/display_functions.cpp
  system/instance_marker.cpp
  system/last_error_message.cpp
  system/process_functions.cpp
  system/process_snapshot.cpp
  system/session_functions.cpp
  system/shell_functions.cpp
  system/window_functions.cpp
)
set(SYSTEM_RESOURCES)
