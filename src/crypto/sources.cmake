# Portable sources build natively too; win sources need windows.h.
set(CRYPTO_PORTABLE_SOURCES
  crypto/additive_xor.cpp
  crypto/base64_codec.cpp
  crypto/block_cipher.cpp
  crypto/block_key.cpp
  crypto/command_lines.cpp
  crypto/file_buffer_cipher.cpp
  crypto/md5.cpp
  crypto/string_source.cpp
  crypto/text_cipher_one.cpp
  crypto/trailer.cpp
)
set(CRYPTO_WIN_SOURCES
  crypto/batch_functions.cpp
  crypto/digest_functions.cpp
  crypto/file_buffer_function.cpp
  crypto/host_exe_digest.cpp
  crypto/resource_key.cpp
  crypto/string_source_functions.cpp
  crypto/text_cipher_functions.cpp
)
set(CRYPTO_RESOURCES crypto/crypto.rc)
