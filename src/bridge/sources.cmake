# Portable sources build natively too; win sources need windows.h.
set(BRIDGE_PORTABLE_SOURCES
  bridge/cpu_id.cpp
  bridge/dbcs.cpp
  bridge/host_command.cpp
)
set(BRIDGE_WIN_SOURCES
  bridge/ansi_code_page.cpp
  bridge/desktop.cpp
  bridge/handles.cpp
  bridge/host.cpp
  bridge/host_array.cpp
  bridge/lifecycle.cpp
  bridge/params.cpp
  bridge/path_length.cpp
  bridge/state.cpp
  bridge/system_error.cpp
)
set(BRIDGE_RESOURCES bridge/larch.rc)
