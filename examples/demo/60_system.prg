* Processes, windows and the session.
SET LIBRARY TO larch.dll
n = KVGetProcessSnapshot("aProc")
? ALEN(aProc, 1) - n, ALEN(aProc, 2)
? KVShellExecAndWait("cmd.exe", "/c exit 7", 0)
? KVTestExeIsRun("larch-demo-marker"), KVTestExeIsRun("larch-demo-marker")
? KVKillProcess2("No window has this title")
? APIIsWindow(APIGetDesktopWindow()), APIIsWindow(0)
nX = 0
nY = 0
= KVGet2PixeFactor(0, @nX, @nY)
? nX, nY
? APIGetSystemMetrics(0), APIGetSystemMetrics(1)
? KVCreateShortcut("C:\windows\notepad.exe", "C:\windows\temp\larch-shortcut-demo.lnk", "", 3, "Notepad")
? LEN(KVGetGUID())
