// Shared by the data layer's tests: the generated sample database, error capture and the
// record set opened the way the run opens its certificate table.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "data/ado.h"
#include "tests/support/error_number.h"
#include "tests/support/paths.h"

namespace datatest {

inline constexpr char16_t kPassword[] = u"KRVNDQLT-58203";

inline std::filesystem::path generated(const std::string& name) {
  return testsupport::sharedDir() / "corpus" / "generated" / name;
}

inline std::u16string openString(const std::filesystem::path& file,
                                 std::u16string_view password = kPassword) {
  return u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.u16string() +
         u";Jet OLEDB:Database Password=" + std::u16string(password) + u";Mode=Read|Write";
}

inline data::Connection openSample() {
  data::Connection cn;
  cn.setCursorLocation(data::adUseClient);
  cn.setConnectionString(openString(generated("tarvo_sample.mdb")));
  cn.open();
  return cn;
}

// The error number an operation raises, or 0 when it succeeds.
inline int errorOf(const std::function<void()>& f) { return testsupport::errorNumberOf(f); }

// A static, client-side, optimistic record set on `sql`, every setting made through the
// properties and the command, then opened with no arguments, as the run opens rsCerts.
inline data::Recordset openThroughProperties(const data::Connection& cn, const std::u16string& sql) {
  data::Command cmd;
  cmd.setActiveConnection(cn);
  cmd.setCommandText(sql);
  cmd.setCommandType(data::adCmdText);
  data::Recordset rs;
  rs.setCursorType(data::adOpenStatic);
  rs.setCursorLocation(data::adUseClient);
  rs.setLockType(data::adLockOptimistic);
  rs.setActiveConnection(cn);
  rs.open(cmd);
  return rs;
}

}  // namespace datatest
