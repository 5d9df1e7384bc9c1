// Tokens of Jet's SQL dialect: words (keywords and names alike; the parser tells them
// apart), [bracketed names], numbers, 'text' and "text" literals, #date# literals and
// punctuation. Errors raise jet::Error with errc::kSyntaxError.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace jet::sql {

enum class TokenKind {
  Word,         // an unquoted name or keyword
  Bracketed,    // [a name] - never a keyword
  Number,       // 12, 1.5, 2E3
  String,       // 'it''s' or "say ""hi"""; text holds the unquoted value
  Date,         // #2020-01-31#; text holds what is between the '#'
  Symbol,       // ( ) , . * ; = <> < > <= >= + - & /
  End,
};

struct Token {
  TokenKind kind = TokenKind::End;
  std::u16string text;
  size_t offset = 0;  // position in the statement, for messages

  bool isWord(std::u16string_view keyword) const;  // a Word equal without regard to case
  bool isSymbol(std::u16string_view symbol) const {
    return kind == TokenKind::Symbol && text == symbol;
  }
};

// The whole statement as tokens, ending with one End token.
std::vector<Token> tokenize(std::u16string_view statement);

}  // namespace jet::sql
