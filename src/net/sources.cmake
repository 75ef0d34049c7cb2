# Portable sources build natively too; win sources need windows.h.
set(NET_PORTABLE_SOURCES
  net/address_text.cpp
  net/ftp_settings.cpp
  net/protocol_text.cpp
)
set(NET_WIN_SOURCES
  net/ftp_functions.cpp
  net/ftp_session.cpp
  net/host_identity.cpp
  net/http_download.cpp
  net/network_drives.cpp
  net/net_services.cpp
)
set(NET_RESOURCES)
