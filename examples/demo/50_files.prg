* Files and folders in the temporary folder, an INI file, error texts.
SET LIBRARY TO larch.dll
d = APIGetTempPath() + "larch-demo"
? APICreateDirectory(d), KVPathFileExists(d)
f = d + "\settings.ini"
? KVWriteIniStr("Window", "Width", "800", f), KVWriteIniStr("Window", "Title", "larch demo", f)
? KVGetIniInt("window", "width", 0, f), KVGetIniStr("WINDOW", "TITLE", "?", f)
? APICopyFile(f, d + "\copy.ini"), APICopyFile(f, d + "\copy.ini", .T.)
? APIGetFileLength(d + "\copy.ini") - APIGetFileLength(f)
? APIMoveFile(d + "\copy.ini", d + "\moved.ini"), KVPathFileExists(d + "\copy.ini")
? APIRemoveDirectory(d)
? LEN(KVGetLastErrorMsg()) - LEN(KVGetLastErrorMsg(145))
? APIDeleteFile(d + "\moved.ini"), APIDeleteFile(f), APIRemoveDirectory(d)
? APIGetVolumeInfo("a:\"), APIGetDriveType("C:\")
