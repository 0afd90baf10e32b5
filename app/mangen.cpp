// Writes the manual page snippary(1), or with --bash-completion the completion
// script, from the command line's own usage tables.
#include <cstdio>
#include <cstring>

#include "cli/usage.h"

int main(int argc, char** argv) {
    const bool completion = argc > 1 && std::strcmp(argv[1], "--bash-completion") == 0;
    const QByteArray text = (completion ? cli::BashCompletion() : cli::ManPage()).toUtf8();
    return std::fwrite(text.constData(), 1, size_t(text.size()), stdout) == size_t(text.size()) &&
                   std::fflush(stdout) == 0
               ? 0
               : 2;
}
