* A registry session: write, read back, enumerate, clean up.
SET LIBRARY TO larch.dll
? FRSetRegPath("Software\LarchDemo")
? FRSetRegValue("Owner", "larch"), FRSetRegValue("Runs", 3)
? FRGetRegValue("Owner", "?"), FRGetRegValue("Runs", 0), FRGetRegValue("Missing", "default")
? FREnumRegValue("vals")
? vals(1, 1), vals(1, 2), vals(1, 3)
? vals(2, 1), vals(2, 2), vals(2, 3)
? FRDeleteValue("Runs"), FREnumRegValue("vals")
* Switching keys: close the open one first.
? FRCloseReg()
? FRSetRegPath("Software")
? FRDeleteKey("LarchDemo"), FRDeleteKey("LarchDemo")
