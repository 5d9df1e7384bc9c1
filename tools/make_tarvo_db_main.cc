// make-tarvo-db: writes a Tarvo-shaped source database and, on request, the certificate rows
// the extraction must produce from it.
//
//   make-tarvo-db OUT.mdb --seed N --people N --qualifications N --trainings N
//                 [--password P] [--expected OUT.json]
//                 [--back-end BE.mdb [--back-end-password P] [--link-path TEXT] [--link-connect TEXT]]
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "jet/util/error.h"
#include "jet/util/unicode.h"
#include "platform/command_line.h"
#include "platform/program_entry.h"
#include "tools/tarvo_database.h"
#include "tools/tarvo_expected.h"
#include "tools/tarvo_model.h"

namespace {

constexpr const char* kUsage =
    "usage: make-tarvo-db OUT.mdb --seed N --people N --qualifications N --trainings N\n"
    "                     [--password P] [--expected OUT.json]\n"
    "                     [--back-end BE.mdb [--back-end-password P] [--link-path TEXT]\n"
    "                                        [--link-connect TEXT]]\n"
    "  Writes a Tarvo source database (tables Control, Roster, Qualifications, Training)\n"
    "  filled deterministically from the seed. The password defaults to the fixed one.\n"
    "  --expected also writes the certificate rows the extraction must produce.\n"
    "  --back-end writes a split pair: the tables and rows go into BE.mdb (with the front\n"
    "  end's password unless --back-end-password), and OUT.mdb gets only links to them.\n"
    "  The links store BE.mdb's absolute path unless --link-path gives the text to store\n"
    "  (relative, or a Windows path); --link-connect sets their Connect text (by default\n"
    "  \"MS Access;PWD=\" and the back end's password, as Access stores it).\n"
    "  -h, --help shows this text; --version the version. Every --option value may also be\n"
    "  given as --option=value.\n"
    "  Exit status: 0 written, 1 the files could not be written, 2 a wrong command line.\n";

using platform::UsageError;

template <typename T>
T number(std::string_view option, std::string_view text, T max) {
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < T{0} || value > max)
    throw UsageError{std::string(option) + " needs a whole number from 0 to " + std::to_string(max) +
                     ", not \"" + std::string(text) + "\""};
  return value;
}

struct Arguments {
  std::filesystem::path out;
  tools::TarvoOptions model;
  std::u16string password = std::u16string(tools::kTarvoPassword);
  std::optional<std::filesystem::path> expected;
  std::optional<std::filesystem::path> backEnd;
  std::optional<std::u16string> backEndPassword, linkPath, linkConnect;
};

platform::CommandLine commandLine() {
  return platform::CommandLine("make-tarvo-db", kUsage,
                               {"--seed=", "--people=", "--qualifications=", "--trainings=", "--password=",
                                "--expected=", "--back-end=", "--back-end-password=", "--link-path=",
                                "--link-connect="});
}

Arguments parse(const platform::CommandLine& line) {
  Arguments a;
  bool haveOut = false, seed = false, people = false, quals = false, trainings = false;
  for (const auto& [option, value] : line.arguments()) {
    constexpr int64_t kLongMax = 2147483647;
    if (option == "--seed") {
      a.model.seed = number<uint64_t>(option, value, UINT64_MAX);
      seed = true;
    } else if (option == "--people") {
      a.model.people = number<int64_t>(option, value, kLongMax);
      people = true;
    } else if (option == "--qualifications") {
      a.model.qualifications = number<int64_t>(option, value, kLongMax);
      quals = true;
    } else if (option == "--trainings") {
      a.model.trainings = number<int64_t>(option, value, kLongMax);
      trainings = true;
    } else if (option == "--password") {
      a.password = jet::fromUtf8(value);
    } else if (option == "--expected") {
      a.expected = jet::pathFromUtf8(value);
    } else if (option == "--back-end") {
      a.backEnd = jet::pathFromUtf8(value);
    } else if (option == "--back-end-password") {
      a.backEndPassword = jet::fromUtf8(value);
    } else if (option == "--link-path") {
      a.linkPath = jet::fromUtf8(value);
    } else if (option == "--link-connect") {
      a.linkConnect = jet::fromUtf8(value);
    } else if (haveOut) {
      throw UsageError{"more than one output file: " + value};
    } else {
      a.out = jet::pathFromUtf8(value);
      haveOut = true;
    }
  }
  if (!haveOut) throw UsageError{"no output file given"};
  std::string missing;
  for (const auto& [given, name] : {std::pair{seed, "--seed"}, std::pair{people, "--people"},
                                    std::pair{quals, "--qualifications"}, std::pair{trainings, "--trainings"}})
    if (!given) missing += std::string(missing.empty() ? "" : ", ") + name;
  if (!missing.empty()) throw UsageError{"missing " + missing};
  if (a.password.size() > 20) throw UsageError{"--password takes at most 20 characters"};
  if (a.backEndPassword && a.backEndPassword->size() > 20)
    throw UsageError{"--back-end-password takes at most 20 characters"};
  if (!a.backEnd && (a.backEndPassword || a.linkPath || a.linkConnect))
    throw UsageError{"--back-end-password, --link-path and --link-connect need --back-end"};
  if (a.backEnd && std::filesystem::absolute(*a.backEnd) == std::filesystem::absolute(a.out))
    throw UsageError{"--back-end must name another file than the database"};
  if (a.expected && std::filesystem::absolute(*a.expected) == std::filesystem::absolute(a.out))
    throw UsageError{"--expected must name another file than the database"};
  return a;
}

int makeTarvoDb(int argc, char** argv) {
  platform::useUtf8Console();
  platform::CommandLine line = commandLine();
  if (const auto status = line.parse(argc, argv)) return *status;
  Arguments args;
  try {
    args = parse(line);
  } catch (const UsageError& e) {
    return line.usageError(e.problem);
  }
  try {
    const tools::TarvoModel model(args.model);
    tools::TarvoWriteOptions write;
    write.password = args.password;
    write.backEnd = args.backEnd;
    write.backEndPassword = args.backEndPassword;
    write.linkPath = args.linkPath;
    write.linkConnect = args.linkConnect;
    const int64_t total = 1 + args.model.people + args.model.qualifications + args.model.trainings;
    if (total > 200000) {
      write.progress = [](int64_t done, int64_t all) {
        std::fprintf(stderr, "\rmake-tarvo-db: %lld of %lld rows", static_cast<long long>(done),
                     static_cast<long long>(all));
        if (done == all) std::fputc('\n', stderr);
      };
    }
    tools::writeTarvoDatabase(model, args.out, write);
    if (args.expected) {
      try {
        const auto counts =
            tools::writeExpectedJson(model, jet::toUtf8(args.out.filename().u16string()), *args.expected);
        std::printf("%s: %lld certificate rows (%lld Q, %lld T)\n", jet::pathText(*args.expected).c_str(),
                    static_cast<long long>(counts.qualificationRows + counts.trainingRows),
                    static_cast<long long>(counts.qualificationRows),
                    static_cast<long long>(counts.trainingRows));
      } catch (...) {
        // The pair belongs together: without its expected rows the database is not what
        // was asked for.
        std::error_code ec;
        std::filesystem::remove(args.out, ec);
        throw;
      }
    }
    std::printf("%s: %lld people, %lld qualifications, %lld trainings (seed %llu)\n",
                jet::pathText(args.out).c_str(), static_cast<long long>(args.model.people),
                static_cast<long long>(args.model.qualifications),
                static_cast<long long>(args.model.trainings),
                static_cast<unsigned long long>(args.model.seed));
    return 0;
  } catch (const jet::Error& e) {
    std::fprintf(stderr, "make-tarvo-db: %s (error %d)\n", e.description(), e.number());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make-tarvo-db: %s\n", e.what());
  }
  return 1;
}

}  // namespace

TARVO_UTF8_MAIN(makeTarvoDb)
