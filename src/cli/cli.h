#pragma once
// The command line: `snippary VERB ...`.

namespace cli {

// True when `word` names a verb of the command line.
bool IsVerb(const char* word);
// Runs the verb in argv[1]; returns the exit status (0 done, 1 usage error,
// 2 failure). Messages go to stderr.
int Run(int argc, char** argv);

}  // namespace cli
