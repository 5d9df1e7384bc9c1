// Connection strings of the Jet OLE DB 4.0 provider, as the system writes them:
//
//   Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\dir\file.mdb;
//   Jet OLEDB:Database Password=secret;Mode=Read|Write
//
// "key=value" pairs parted by ';'. Keys compare without regard to case and to blanks around
// them ("Data Source =" is "Data Source"); values lose surrounding blanks unless quoted with
// '"' or '\'' (a doubled quote inside stands for one). Empty pairs (";;", a trailing ';') are
// allowed. Anything else - a pair without '=', an unknown key, a key given twice with two
// values, an unterminated quote, a Mode or Engine Type we cannot read - is an error
// (errc::kBadConnectionString); the parser never guesses.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace data {

struct ConnectionString {
  std::u16string provider;                 // empty when not given
  std::optional<std::u16string> dataSource;
  std::optional<std::u16string> password;  // Jet OLEDB:Database Password
  bool readable = true;                    // from Mode; default Share Deny None, read and write
  bool writable = true;
  // Share Deny Write or Share Exclusive: with `writable`, the connection is the file's one
  // writer from its open to its close.
  bool denyWrite = false;
  std::optional<int> engineType;           // Jet OLEDB:Engine Type (5 is Jet 4.0)

  // Throws data::Error on text that cannot be understood.
  static ConnectionString parse(std::u16string_view text);

  // Throws errc::kProviderNotFound unless the provider is Microsoft.Jet.OLEDB.4.0, and
  // errc::kUnspecified when there is no Data Source: what opening a file needs.
  void requireJetFile() const;
};

}  // namespace data
