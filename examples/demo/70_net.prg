* Network functions on a machine without a network share or FTP server.
SET LIBRARY TO larch.dll
? KVGetHostIP("127.0.0.1")
? LEN(KVGetMac2(9999))
KVSetFtpParas("127.0.0.1", "anonymous", "guest@", 1)
? KVCheckFtpConnect()
? KVFtpCreateDir("reports")
? LEN(KVFtpGetCurDir())
KVCloseConnect()
? KVHttpDownLoad("", "page.html")
? KVMapNetDrv("\\server\share", "", "", "")
? LEN(KVEnumNetWork())
