#pragma once
// The two engines behind store::sqlite::Database. Each is one translation unit of
// the same code (sqlitedriver.inc) compiled against its own engine's header.
#include <QByteArray>
#include <memory>

#include "store/sqliteengine.h"

namespace store::sqlite {

struct OpenRequest {
    QByteArray path;      // in the file system's encoding
    QByteArray key;       // empty: no encryption
    bool create = false;  // make the file when it is missing
    bool hostile = true;  // the file comes from outside: the strictest settings
};

namespace plain {
std::unique_ptr<Database> Open(const OpenRequest& r);
}  // namespace plain
namespace cipher {
std::unique_ptr<Database> Open(const OpenRequest& r);
}  // namespace cipher

}  // namespace store::sqlite
