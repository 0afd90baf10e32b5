#pragma once
// Synthetic libraries for the benchmarks: the same seed gives the same library.
#include <QString>
#include <cstdint>

namespace bench {

struct LibrarySpec {
    int snippets = 1000;
    int categories = 20;  // the five permanent ones and fifteen more
    std::uint32_t seed = 1;
    QString password;  // empty: a plain library
};

// Creates `path` (which must not exist) and fills it in one transaction.
void GenerateLibrary(const QString& path, const LibrarySpec& spec);

// The rare word (in about 1 % of the snippets) and one present in none.
inline constexpr const char* RareWord = "Quokkafrobnicate";
inline constexpr const char* AbsentWord = "Zyxwvutsrqponm";

}  // namespace bench
