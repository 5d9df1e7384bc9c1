#include "platform/command_line.h"

#include <algorithm>
#include <cstdio>

#include "platform/version.h"

namespace platform {

CommandLine::CommandLine(std::string program, std::string usage, std::vector<std::string> options)
    : program_(std::move(program)), usage_(std::move(usage)), options_(std::move(options)) {}

int CommandLine::usageError(const std::string& problem) const {
  std::fflush(stdout);
  std::fprintf(stderr, "%s: %s\n%s", program_.c_str(), problem.c_str(), usage_.c_str());
  return 2;
}

std::optional<int> CommandLine::parse(int argc, char** argv) {
  arguments_.clear();
  auto known = [&](const std::string& name) { return std::find(options_.begin(), options_.end(), name) != options_.end(); };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
#ifdef _WIN32
    const bool help = arg == "-h" || arg == "--help" || arg == "/?";
#else
    const bool help = arg == "-h" || arg == "--help";
#endif
    if (help) {
      std::fputs(usage_.c_str(), stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("%s %s\n", program_.c_str(), kVersion);
      return 0;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      const size_t equals = arg.find('=');
      const std::string name = arg.substr(0, equals);
      if (known(name + "=")) {
        if (equals != std::string::npos) {
          arguments_.push_back({name, arg.substr(equals + 1)});
        } else if (i + 1 < argc) {
          arguments_.push_back({name, argv[++i]});
        } else {
          return usageError(name + " needs a value");
        }
      } else if (known(name)) {
        if (equals != std::string::npos) return usageError(name + " takes no value");
        arguments_.push_back({name, ""});
      } else {
        return usageError("unknown option " + name);
      }
    } else if (arg.empty()) {
      return usageError("an empty argument names no file");
    } else {
      arguments_.push_back({"", arg});
    }
  }
  return std::nullopt;
}

}  // namespace platform
