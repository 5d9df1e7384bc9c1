#include "data/command.h"

#include "data/error.h"

namespace data {

struct Command::Impl {
  std::optional<Connection> connection;
  std::u16string text;
  int type = adCmdUnknown;
};

Command::Command() : impl_(std::make_shared<Impl>()) {}

void Command::setActiveConnection(const Connection& connection) { impl_->connection = connection; }

Connection Command::activeConnection() const {
  if (!impl_->connection) fail(errc::kNoConnection, "The command has no active connection.");
  return *impl_->connection;
}

bool Command::hasActiveConnection() const { return impl_->connection.has_value(); }

void Command::setCommandText(std::u16string text) { impl_->text = std::move(text); }

const std::u16string& Command::commandText() const { return impl_->text; }

void Command::setCommandType(int type) {
  if (type != adCmdText && type != adCmdUnspecified && type != adCmdUnknown) {
    fail(errc::kBadArguments, "Only text commands (command type 1) are supported.");
  }
  impl_->type = type;
}

int Command::commandType() const { return impl_->type; }

}  // namespace data
