# cmake -DSOURCE=FILE -DTEXT=FILE -P WindowsText.cmake: TEXT is SOURCE with
# Windows line ends, for the Windows archive's manuals.
file(READ ${SOURCE} content)
string(REPLACE "\r\n" "\n" content "${content}")
string(REPLACE "\n" "\r\n" content "${content}")
file(WRITE ${TEXT} "${content}")
