// A cursor over a statement's tokens with the helpers every clause parser uses.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "jet/sql/lexer.h"

namespace jet::sql {

class TokenStream {
 public:
  explicit TokenStream(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  const Token& peek(size_t ahead = 0) const;
  const Token& next();
  bool atEnd() const { return peek().kind == TokenKind::End; }

  bool acceptWord(std::u16string_view keyword);
  bool acceptSymbol(std::u16string_view symbol);
  void expectWord(std::u16string_view keyword);
  void expectSymbol(std::u16string_view symbol);
  // A name: a [bracketed] token or a word that is not a reserved word.
  std::u16string expectName(const char* what);
  bool peekIsName() const;

  [[noreturn]] void fail(const std::string& what) const;  // "... near 'x' at character n"

 private:
  std::vector<Token> tokens_;
  size_t pos_ = 0;
};

// Words that cannot be used as names unless bracketed.
bool isReservedWord(std::u16string_view word);
std::string describe(const Token& token);

}  // namespace jet::sql
