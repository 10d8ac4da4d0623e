#pragma once
// Runs the simpc program as a person would from a shell, for the end-to-end tests:
// standard input from /dev/null (never a terminal, as for a script), both output streams kept.

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace sim::simpc::testing {

struct Finished {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// `scratch` takes the standard error of the run.
inline Finished runSimpc(const std::string& program, const std::string& words, const std::filesystem::path& scratch) {
  std::filesystem::path err = scratch / "stderr";
  std::string command = program + " " + words + " </dev/null 2>" + err.native();
  Finished finished;
  struct Closer {
    void operator()(std::FILE* pipe) const { ::pclose(pipe); }
  };
  std::unique_ptr<std::FILE, Closer> pipe(::popen(command.c_str(), "r"));
  if (!pipe) return finished;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) finished.out.append(buffer, n);
  int status = ::pclose(pipe.release());
  finished.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  finished.err = readFile(err);
  return finished;
}

}  // namespace sim::simpc::testing
