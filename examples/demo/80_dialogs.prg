* The connection dialogs keep what the user entered; before any dialog was
* accepted the read-back functions give empty texts, 0 and .F.
SET LIBRARY TO larch.dll
? "[" + KVGetLoginName() + "]", "[" + KVGetLoginPassword() + "]"
? "[" + KVGetSqlServerName() + "]", "[" + KVGetSqlDataBase() + "]"
? "[" + KVGetSqlUserName() + "]", "[" + KVGetSqlPassword() + "]"
? KVGetSqlTimeOut(), KVGetSqlTrusted()
? "[" + KVGetMdbFileName() + "]", "[" + KVGetMdbUserName() + "]", "[" + KVGetMdbPassword() + "]"
