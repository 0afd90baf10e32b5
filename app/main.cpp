// The process entry: a verb runs the command line, anything else the window.
#include <cstdio>
#include <cstring>

#include "addin/ui/startup.h"
#include "cli/cli.h"

namespace {

// Options the toolkit itself takes before the window opens: the number of values
// each takes, or -1 when it is none of them.
int ToolkitOptionValues(const char* word) {
    const char* const withValue[] = {"-platform", "-style", "-display", "-qwindowgeometry"};
    for (const char* o : withValue)
        if (std::strcmp(word, o) == 0) return 1;
    return std::strcmp(word, "-reverse") == 0 ? 0 : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && cli::IsVerb(argv[1])) return cli::Run(argc, argv);
    // A mistyped option must not open a window on a library named like it.
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-' || cli::IsProgramOption(argv[i])) continue;
        if (const int values = ToolkitOptionValues(argv[i]); values >= 0) {
            i += values;
            continue;
        }
        return cli::UnknownOption(argv[i]);
    }
    return addin::RunProgram(argc, argv);
}
