// Plain libraries: the system's maintained SQLite.
#include <sqlite3.h>

#define SNIPPARY_ENGINE plain
#include "store/sqlitedriver.inc"
