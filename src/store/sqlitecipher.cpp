// Encrypted libraries: SQLCipher, under its renamed symbols.
#define SQLITE_HAS_CODEC 1
#include "store/sqlcipherrenamed.h"
#include <sqlcipher/sqlite3.h>

#define SNIPPARY_ENGINE cipher
#include "store/sqlitedriver.inc"
