# Portable sources build natively too; win sources need windows.h.
set(BRIDGE_PORTABLE_SOURCES
  bridge/cpu_id.cpp
  bridge/dbcs.cpp
)
set(BRIDGE_WIN_SOURCES
  bridge/ansi_code_page.cpp
  bridge/desktop.cpp
  bridge/dispatch.cpp
  bridge/function_table.cpp
  bridge/handles.cpp
  bridge/host.cpp
  bridge/host_array.cpp
  bridge/lifecycle.cpp
  bridge/params.cpp
  bridge/system_error.cpp
)
set(BRIDGE_RESOURCES bridge/larch.rc)
