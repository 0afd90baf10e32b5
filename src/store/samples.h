#pragma once
// The sample snippets a new library can start with.
#include <QList>
#include <QString>

namespace store {

struct SampleSnippet {
    QString category;
    QString name, description, source, content;
    QString dateAdded;  // ISO 'YYYY-MM-DD HH:MM:SS'
};

QList<SampleSnippet> SampleSnippets();

}  // namespace store
