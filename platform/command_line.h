// The command-line conventions every console program of ours keeps, in one place:
//   -h, --help (and /? on Windows)  the usage on standard output, exit status 0;
//   --version                       the program's name and version, exit status 0;
//   --option=value                  the same as --option value;
//   a usage error                   "NAME: problem" and the usage on standard error, exit
//                                   status 2: an unknown option is named, a value-taking
//                                   option needs its value, an empty argument names no file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What a program reports as wrong with its command line; CommandLine::run turns it into the
// message and the exit status 2.
struct UsageError {
  std::string problem;
};

class CommandLine {
 public:
  // One argument as given: `option` is the option's name ("--out-dir"), empty for an operand.
  struct Argument {
    std::string option;
    std::string value;  // the option's value, or the operand itself
  };

  // `options` lists every option the program takes; one that takes a value ends in '='
  // ("--out-dir="), a switch does not ("--schema").
  CommandLine(std::string program, std::string usage, std::vector<std::string> options);

  // Splits argv. Returns the exit status when the program is to end here: after the help or
  // the version (0), or after a usage error (2, reported). Otherwise nothing, and
  // arguments() holds the command line in its order.
  std::optional<int> parse(int argc, char** argv);
  const std::vector<Argument>& arguments() const { return arguments_; }

  // Reports a usage error the program found itself, as parse does; returns 2.
  int usageError(const std::string& problem) const;

 private:
  std::string program_;
  std::string usage_;
  std::vector<std::string> options_;
  std::vector<Argument> arguments_;
};

}  // namespace platform
