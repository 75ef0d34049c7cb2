* The library answers who it is and where it runs.
SET LIBRARY TO larch.dll
? GetFllInfo(2)
? _screen.tag
? GetMyBackColor(0), GetMyBackColor(1)
? GetDefaultFontSize()
? LangIsChinese()
