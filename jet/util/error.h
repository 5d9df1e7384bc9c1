// Errors raised by the engine: an ADO-style number and a description, as the Jet OLE DB
// provider reports them, so the layers above can pass them on unchanged.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace jet {

// Error numbers (HRESULTs and ADO codes, as signed 32-bit integers).
namespace errc {
inline constexpr int32_t kUnspecified = -2147467259;      // 0x80004005: file missing, not a database, locked, corrupt
inline constexpr int32_t kTableNotFound = -2147217865;    // 0x80040E37
inline constexpr int32_t kSyntaxError = -2147217900;      // 0x80040E14
inline constexpr int32_t kInvalidPassword = -2147217843;  // 0x80040E4D: "Not a valid password."
inline constexpr int32_t kTypeMismatch = -2147217913;     // 0x80040E07: a value a column cannot take
inline constexpr int32_t kIntegrityViolation = -2147217887;  // 0x80040E21: e.g. Null into a required column
inline constexpr int32_t kDataOverflow = -2147217833;       // 0x80040E57: text longer than its column
inline constexpr int32_t kItemNotFound = 3265;            // no such column / item in a collection
inline constexpr int32_t kNoCurrentRecord = 3021;         // BOF or EOF
inline constexpr int32_t kObjectClosed = 3704;            // operation on a closed object
}  // namespace errc

class Error : public std::runtime_error {
 public:
  Error(int32_t number, std::string description)
      : std::runtime_error(description), number_(number) {}
  int32_t number() const noexcept { return number_; }
  // UTF-8 text, in our own words.
  const char* description() const noexcept { return what(); }

 private:
  int32_t number_;
};

// A failure of the file itself rather than of one operation on its content: it cannot be
// opened, read or written, or another program is writing it. Every later operation that
// needs the file is likely to fail the same way, so callers may stop rather than retry.
class FileError : public Error {
 public:
  using Error::Error;
  FileError(int32_t number, std::string description, std::string reason)
      : Error(number, std::move(description)), reason_(std::move(reason)) {}
  // The system's reason alone ("permission denied", "the disk is full"), so a caller can
  // report it under the name the user knows; empty when the system gave none.
  const std::string& reason() const noexcept { return reason_; }

 private:
  std::string reason_;
};

}  // namespace jet
