// The state of one extraction run: made when START is pressed, released when the run ends.
// Every item starts as the empty text, 0 or no object; a step that fails leaves its item
// as it was. An object that a step needs but that was never made fails that step with
// error 91, as an unset object variable does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "data/command.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "jet/port/new_file.h"
#include "run/failure_rule.h"
#include "run/fill_cert_row.h"

namespace run {

inline constexpr int32_t kNoObject = 91;

template <typename T>
T& need(std::optional<T>& object) {
  if (!object) throw RunError(kNoObject, "Object variable or With block variable not set");
  return *object;
}

struct RunState {
  // Opening the source (steps 1 to 27).
  std::u16string sSourceFile;
  std::optional<data::Connection> cnSource;
  std::optional<data::Recordset> rsQual;
  std::optional<data::Recordset> rsTrain;
  int32_t qualificationCount = 0;
  int32_t trainingCount = 0;
  int32_t total = 0;

  // Writing the certificate file (steps 28 to 71).
  std::u16string sCertFile;
  // Steps 30 and 31: the file made under the run's scratch name until it is published.
  std::optional<jet::NewFile> newCertFile;
  std::optional<data::Connection> cnCerts;
  std::optional<data::Command> certCommand;
  std::optional<data::Recordset> rsCerts;
  bool hasType = false;
  int32_t passCounter = 0;
  int32_t passBound = 0;
  std::optional<PassColumns> passColumns;  // the pass's columns, found when it starts
  // A pass ended because the certificate file could store no row: the passes copy nothing more.
  bool storingStopped = false;
};

}  // namespace run
