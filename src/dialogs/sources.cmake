# Portable sources build natively too; win sources need windows.h.
set(DIALOGS_PORTABLE_SOURCES
  dialogs/connection_rules.cpp
  dialogs/picker_text.cpp
)
set(DIALOGS_WIN_SOURCES
  dialogs/about_dialog.cpp
  dialogs/access_dialog.cpp
  dialogs/file_dialog_record.cpp
  dialogs/file_pickers.cpp
  dialogs/folder_pickers.cpp
  dialogs/login_dialog.cpp
  dialogs/modal.cpp
  dialogs/sql_server_dialog.cpp
)
set(DIALOGS_RESOURCES dialogs/dialogs.rc)
