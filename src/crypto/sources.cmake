# Portable sources build natively too; win sources need windows.h.
set(CRYPTO_PORTABLE_SOURCES)
set(CRYPTO_WIN_SOURCES
  crypto/entries.cpp
)
set(CRYPTO_RESOURCES)
