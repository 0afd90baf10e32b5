// The process entry: a verb runs the command line, anything else the window.
#include "addin/ui/startup.h"
#include "cli/cli.h"

int main(int argc, char** argv) {
    if (argc > 1 && cli::IsVerb(argv[1])) return cli::Run(argc, argv);
    return addin::RunProgram(argc, argv);
}
