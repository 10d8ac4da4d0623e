#pragma once
// parlex-dump: every message number of the catalogue with its text, for translators.
//   parlex-dump [--lang en|de|fr] [--json]
// Without --lang the three languages stand side by side. Line feeds and backslashes in the
// texts are written as \n and \\ so that every number keeps to one line; --json writes one
// object per number and line, with the texts as they are.

#include <iosfwd>
#include <string>
#include <vector>

namespace parlex {

// Exit status: 0 done, 1 a catalogue could not be built in a language, 2 bad usage.
int runDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace parlex
