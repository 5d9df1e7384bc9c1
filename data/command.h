// ADODB.Command: a statement text bound to a connection, used as the source of
// Recordset::open. Copies refer to the same command object.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "data/connection.h"
#include "data/types.h"

namespace data {

class Command {
 public:
  Command();

  void setActiveConnection(const Connection& connection);
  // errc::kNoConnection when none was set.
  Connection activeConnection() const;
  bool hasActiveConnection() const;
  void setCommandText(std::u16string text);
  const std::u16string& commandText() const;
  void setCommandType(int type);  // adCmdText (1) or adCmdUnspecified (-1)
  int commandType() const;

  struct Impl;

 private:
  std::shared_ptr<Impl> impl_;
};

}  // namespace data
