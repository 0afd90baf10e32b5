#pragma once
// The command line: `snippary VERB ...`.

namespace cli {

// True when `word` names a verb of the command line.
bool IsVerb(const char* word);
// Runs the verb in argv[1]; returns the exit status (0 done, 1 usage error,
// 2 failure). Messages go to stderr.
int Run(int argc, char** argv);
// True when `word` is an option of the program without a verb (--nvim).
bool IsProgramOption(const char* word);
// Reports an option nobody takes, with the usage, on stderr; returns the exit status 1.
int UnknownOption(const char* word);

}  // namespace cli
