* Digests, the printable text cipher, an enciphered batch and a sealed buffer.
SET LIBRARY TO larch.dll
? Get32Md5("The quick brown fox jumps over the lazy dog")
? KVEncryptTxt1("Hello, larch", 1)
? KVEncryptTxt1(KVEncryptTxt1("Hello, larch", 1), 0)
batch = "total = 40" + CHR(13) + CHR(10) + "total = total + 2" + CHR(13) + CHR(10) + "? total"
KVEncryptByteBlock2(@batch)
KVRunFoxBatch2(batch)
sealed = KVEncryptFileBuffer2("file contents", "pass phrase", 1)
? LEN(sealed)
? KVEncryptFileBuffer2(sealed, "pass phrase", 0)
? GetStringSrcById(1)
