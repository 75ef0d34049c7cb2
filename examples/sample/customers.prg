* A customer list from the Taipei office, made ready for the head office:
* the Big5 file becomes GBK, every customer gets the pinyin initials of its
* name as a sort key and its balance in the capital numerals of a cheque,
* and the results travel in one cabinet, checked by extracting it again.
* The input, customers.big5, lies beside this program; the results go to a
* folder in the temporary folder, removed at the end. Run it from here:
*     larch-shell customers.prg
#INCLUDE larch.h
SET LIBRARY TO larch.dll ADDITIVE

cWork = APIGetTempPath() + "larch-sample\"
IF !APICreateDirectory(cWork)
   * A folder left by an earlier run will do; anything else will not.
   IF KVGetLastErrorMsg() != KVGetLastErrorMsg(ERROR_ALREADY_EXISTS)
      ? "Cannot make " + cWork + ": " + KVGetLastErrorMsg()
   ENDIF
ENDIF

* Big5 in, GBK (simplified characters) out.
cGbk = KVBig5ToGb2312(FILETOSTR("customers.big5"))
nLines = ALINES(aLine, cGbk)

* One row per customer: code, name, balance, sort key. The tokenizer finds
* the commas only where a character begins, never inside a Chinese one.
DIMENSION aRow(nLines, 4)
nRows = 0
FOR i = 1 TO nLines
   IF EMPTY(aLine(i))
      LOOP
   ENDIF
   = PSSetStringLine(aLine(i))
   = PSSetFlagChar(",")
   nRows = nRows + 1
   aRow(nRows, 1) = PSGetItem()
   aRow(nRows, 2) = PSGetItem()
   aRow(nRows, 3) = VAL(PSGetItem())
   aRow(nRows, 4) = KVCnCharToSpell(aRow(nRows, 2))
ENDFOR

* Sorted by the initials (a selection sort keeps the sample short).
FOR i = 1 TO nRows - 1
   nFirst = i
   FOR j = i + 1 TO nRows
      IF aRow(j, 4) < aRow(nFirst, 4)
         nFirst = j
      ENDIF
   ENDFOR
   FOR k = 1 TO 4
      vSwap = aRow(i, k)
      aRow(i, k) = aRow(nFirst, k)
      aRow(nFirst, k) = vSwap
   ENDFOR
ENDFOR

cCrLf = CHR(13) + CHR(10)
cCsv = "code,initials,name,balance" + cCrLf
? "Customers by the pinyin initials of their names:"
FOR i = 1 TO nRows
   cWords = KVRmbNumToCnChar(aRow(i, 3))
   ? aRow(i, 1), PADR(aRow(i, 4), 8), aRow(i, 2)
   ? "     " + cWords
   cCsv = cCsv + aRow(i, 1) + "," + aRow(i, 4) + "," + aRow(i, 2) + "," + cWords + cCrLf
ENDFOR

* Both files into one cabinet.
= STRTOFILE(cGbk, cWork + "customers.txt")
= STRTOFILE(cCsv, cWork + "customers-sorted.csv")
h = CabCreateCabinet(cWork + "customers.cab")
nAdded = CabAddFile2Cab(h, cWork + "customers.txt") + CabAddFile2Cab(h, cWork + "customers-sorted.csv")
IF nAdded = 2 AND CabFlushCab(h) = 1
   ? "customers.cab holds customers.txt and customers-sorted.csv"
ELSE
   ? "The cabinet failed: " + KVGetLastErrorMsg()
ENDIF

* Extracted again, the files must be what went in.
= APICreateDirectory(cWork + "check")
IF CabDecompress(cWork + "customers.cab", cWork + "check") = 1
   lSame = Get32Md5FileChecksum(cWork + "check\customers.txt") == Get32Md5FileChecksum(cWork + "customers.txt") ;
      AND Get32Md5FileChecksum(cWork + "check\customers-sorted.csv") == Get32Md5FileChecksum(cWork + "customers-sorted.csv")
   ? "Extracted again: " + IIF(lSame, "both files are intact", "the files differ")
ELSE
   ? "The extraction failed: " + KVGetLastErrorMsg()
ENDIF

* Clean up: every file and folder below the work folder, then the folder.
= KVTraverseDirectory(cWork, "= APIDeleteFile('%s')", "= APIRemoveDirectory('%s')", "*.*", TRAVERSE_SUBFOLDERS)
= APIRemoveDirectory(cWork)
? "Work folder removed: " + IIF(KVPathFileExists(cWork), "no", "yes")
