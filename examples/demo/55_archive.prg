* Cabinet archives and the directory walk.
SET LIBRARY TO larch.dll
* Pack win.ini into a cabinet in one call, then two files step by step
? CabCompress("C:\windows\win.ini", "C:\windows\temp\larch-demo.cab")
h = CabCreateCabinet("C:\windows\temp\larch-demo-set.cab")
? CabAddFile2Cab(h, "C:\windows\win.ini"), CabAddFile2Cab(h, "C:\windows\system.ini")
? CabFlushCab(h)
* Unpack the set into the temp folder
? CabDecompress("C:\windows\temp\larch-demo-set.cab", "C:\windows\temp")
* One host command per file the walk finds
= KVTraverseDirectory("C:\windows\temp", "? [cabinet: %s]", "", "larch-demo*.cab")
= KVTraverseDirectory("C:\windows\temp\", "? LOWER('%s')", "", "s*.ini")
