// The process entry: a verb runs the command line, anything else the window.
#include <cstdio>
#include <cstring>

#include "addin/ui/startup.h"
#include "cli/cli.h"

namespace {

// Options the toolkit itself takes before the window opens.
bool IsToolkitOption(const char* word) {
    for (const char* o : {"-platform", "-style", "-display", "-qwindowgeometry", "-reverse"})
        if (std::strcmp(word, o) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && cli::IsVerb(argv[1])) return cli::Run(argc, argv);
    // A mistyped option must not open a window on a library named like it.
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-' || cli::IsProgramOption(argv[i])) continue;
        if (IsToolkitOption(argv[i])) {
            ++i;  // its value
            continue;
        }
        return cli::UnknownOption(argv[i]);
    }
    return addin::RunProgram(argc, argv);
}
