// Opens arbitrary bytes as an existing certificate file and puts them through the rerun's
// writing steps, through the data layer as the run does: open for writing, the clear, the
// Type upgrade, new rows, close. A clean jet::Error is acceptable; so is a file that the
// integrity check finds sound and that holds exactly the new rows. Anything else (a crash, a
// sanitizer report, another exception, a hang, a "success" that leaves a damaged file or
// other rows) is a finding.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "certfile/upgrade.h"
#include "data/ado.h"
#include "fuzz/scratch_file.h"
#include "jet/read/database.h"
#include "jet/util/error.h"
#include "jet/read/integrity_check.h"
#include "jet/util/unicode.h"

namespace {

constexpr const char16_t* kPassword = u"KRVNDQLT-58203";
constexpr const char16_t* kCertQuery = u"SELECT * FROM Tarvo_Certs";
constexpr int kNewRows = 3;

const std::filesystem::path& scratchPath() { return fuzz::scratchPath("write"); }

// FieldExists and AddNewField report their failures in a box and return: a failure there
// ends the input as a clean error would.
struct Box : certfile::MessageBox {
  bool shown = false;
  void showMessage(const std::u16string&, const std::u16string&) override { shown = true; }
};

std::u16string course(int i) { return u"Course " + std::u16string(1, static_cast<char16_t>(u'A' + i)); }

// The rerun's writing stage (run/cmd_run.cc steps 34-70). False when it stopped at a failure
// that was reported (a clean outcome).
bool writeAsTheRunDoes() {
  data::Connection cn;
  cn.setConnectionString(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + scratchPath().u16string() +
                         u";Jet OLEDB:Database Password=" + kPassword + u";Mode=Read|Write|Share Deny Write");
  cn.setCursorLocation(data::adUseClient);
  cn.open(u"", u"", u"", data::adConnectUnspecified);
  data::Command command;
  command.setActiveConnection(cn);
  command.setCommandText(kCertQuery);
  command.setCommandType(data::adCmdText);
  data::Recordset rs;
  rs.setCursorType(data::adOpenStatic);
  rs.setCursorLocation(data::adUseClient);
  rs.setLockType(data::adLockOptimistic);
  rs.setActiveConnection(cn);
  rs.open(command);
  if (rs.recordCount() > 0) {
    cn.execute(u"DELETE * FROM Tarvo_Certs");
    rs.close();
    rs.open(kCertQuery);
  }
  Box box;
  if (!certfile::FieldExists(cn, u"Tarvo_Certs", u"Type", box)) {
    certfile::AddNewField(cn, u"Tarvo_Certs", u"Type", u"String", box);
    rs.close();
    rs.open(kCertQuery);
  }
  if (box.shown) return false;
  for (int i = 0; i < kNewRows; ++i) {
    rs.addNew();
    rs.field(u"LName").setValue(std::u16string(u"Lindqvist"));
    rs.field(u"Course").setValue(course(i));
    rs.field(u"Date").setValue(data::DateTime{45000.0 + i});
    rs.field(u"Email").setValue(data::Null{});
    rs.field(u"Type").setValue(std::u16string(u"Q"));
    rs.updateBatch(data::adAffectAll);
  }
  rs.close();
  cn.close();
  return true;
}

// The file a successful rerun leaves: sound, holding exactly the new rows (in any order: a
// delete's space is reused).
void expectSoundWithNewRows() {
  auto db = jet::Database::open(scratchPath(), kPassword);
  const auto problems = jet::checkIntegrity(db, jet::CheckDepth::kFull);
  for (const auto& p : problems) std::fprintf(stderr, "%s: %s\n", jet::toUtf8(p.table).c_str(), p.problem.c_str());
  if (!problems.empty()) __builtin_trap();
  auto def = db.tableDef(u"Tarvo_Certs");
  const auto courseAt = def->findColumn(u"Course"), typeAt = def->findColumn(u"Type");
  if (!courseAt || !typeAt) __builtin_trap();
  auto scan = db.scan(def, {*courseAt, *typeAt});
  std::vector<std::u16string> found;
  while (scan.next()) {
    if (scan.value(1) != jet::Value(std::u16string(u"Q")) || !scan.value(0).is<std::u16string>()) __builtin_trap();
    found.push_back(scan.value(0).get<std::u16string>());
  }
  std::sort(found.begin(), found.end());
  std::vector<std::u16string> expected;
  for (int i = 0; i < kNewRows; ++i) expected.push_back(course(i));
  if (found != expected) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // FUZZ_VERBOSE=1 says how each input ended, to see how far inputs get.
  static const bool verbose = std::getenv("FUZZ_VERBOSE") != nullptr;
  fuzz::writeScratch(scratchPath(), data, size);
  bool wrote = false;
  try {
    wrote = writeAsTheRunDoes();
  } catch (const jet::Error& e) {
    if (verbose) std::fprintf(stderr, "error: %s\n", e.what());
    return 0;
  }
  if (verbose) std::fprintf(stderr, wrote ? "written\n" : "a box was shown\n");
  if (wrote) {
    try {
      expectSoundWithNewRows();
    } catch (const jet::Error& e) {
      std::fprintf(stderr, "%s\n", e.what());
      __builtin_trap();  // the writer called it a success, yet the file does not read
    }
  }
  return 0;
}
