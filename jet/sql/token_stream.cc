#include "jet/sql/token_stream.h"

#include "jet/util/error.h"
#include "jet/sql/message_text.h"
#include "jet/sql/collation.h"

namespace jet::sql {
namespace {

constexpr std::u16string_view kReserved[] = {
    u"SELECT", u"FROM",   u"WHERE",  u"INNER",  u"JOIN",   u"ON",     u"AND",    u"OR",
    u"NOT",    u"IS",     u"NULL",   u"AS",     u"DELETE", u"ALTER",  u"TABLE",  u"ADD",
    u"COLUMN", u"TRUE",   u"FALSE",  u"LEFT",   u"RIGHT",  u"OUTER",  u"ORDER",  u"BY",
    u"GROUP",  u"HAVING", u"UNION",  u"INSERT", u"UPDATE", u"INTO",   u"VALUES", u"SET",
    u"CREATE", u"DROP",   u"DISTINCT", u"TOP",  u"IN",     u"LIKE",   u"BETWEEN", u"YES",
    u"NO",     u"DISTINCTROW", u"CONSTRAINT", u"PRIMARY", u"KEY", u"FULL",
};

}  // namespace

bool isReservedWord(std::u16string_view word) {
  for (std::u16string_view r : kReserved) {
    if (equalsIgnoringCase(word, r)) return true;
  }
  return false;
}

std::string describe(const Token& t) {
  switch (t.kind) {
    case TokenKind::End: return "the end of the statement";
    case TokenKind::Bracketed: return "'[" + messageText(t.text) + "]'";
    case TokenKind::String: return "the text '" + messageText(t.text) + "'";
    case TokenKind::Date: return "the date #" + messageText(t.text) + "#";
    default: return "'" + messageText(t.text) + "'";
  }
}

const Token& TokenStream::peek(size_t ahead) const {
  size_t i = pos_ + ahead;
  return i < tokens_.size() ? tokens_[i] : tokens_.back();
}

const Token& TokenStream::next() {
  const Token& t = peek();
  if (pos_ + 1 < tokens_.size()) ++pos_;
  return t;
}

bool TokenStream::acceptWord(std::u16string_view keyword) {
  if (!peek().isWord(keyword)) return false;
  next();
  return true;
}

bool TokenStream::acceptSymbol(std::u16string_view symbol) {
  if (!peek().isSymbol(symbol)) return false;
  next();
  return true;
}

void TokenStream::expectWord(std::u16string_view keyword) {
  if (!acceptWord(keyword)) fail("expected " + messageText(keyword));
}

void TokenStream::expectSymbol(std::u16string_view symbol) {
  if (!acceptSymbol(symbol)) fail("expected '" + messageText(symbol) + "'");
}

bool TokenStream::peekIsName() const {
  const Token& t = peek();
  return t.kind == TokenKind::Bracketed || (t.kind == TokenKind::Word && !isReservedWord(t.text));
}

std::u16string TokenStream::expectName(const char* what) {
  if (!peekIsName()) fail(std::string("expected ") + what);
  return next().text;
}

void TokenStream::fail(const std::string& what) const {
  const Token& t = peek();
  throw Error(errc::kSyntaxError, "Syntax error in the SQL statement: " + what + ", found " +
                                      describe(t) + " at character " +
                                      std::to_string(t.offset + 1) + ".");
}

}  // namespace jet::sql
