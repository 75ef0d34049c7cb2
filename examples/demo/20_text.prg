* Chinese text and general text tools.
SET LIBRARY TO larch.dll
* Big5 bytes B0 EA (國) to GBK, and a GBK text to Big5 and back
? KVBig5ToGb2312(CHR(176) + CHR(234) + CHR(174) + CHR(97))
? KVBig5ToGb2312(KVGb2312ToBig5("中华人民共和国"))
? KVCnCharToSpell("Larch 北京欢迎你")
? KVCnCharToStroke("北京"), KVCnCharToStroke("北京", 1)
? KVRmbNumToCnChar(1001.25)
? KVRmbNumToCnChar(100000.5), KVRmbNumToCnChar(100000.5, .F.)
? KVFindMatchString("larch.dll, larch.ini", "larch.?ni")
? KVIsMatchString("Report-2024.TXT", "report-*.txt")
? KVMultiMatchString("photo.jpeg", "*.png,*.jp?g")
s = "!dlrow ,olleH"
= KVStrRev(@s)
? s
* Split a line at commas
= PSSetStringLine("red,,green,blue")
= PSSetFlagChar(",")
? PSGetItem(), PSGetItem()
? PSGetRestString(), PSIsEnd()
