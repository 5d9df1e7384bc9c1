#include "jet/sql/lexer.h"

#include "jet/util/error.h"
#include "jet/sql/collation.h"

namespace jet::sql {
namespace {

bool isSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == u'\v' ||
         c == 0xA0;
}
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
// Names may hold letters of any script, digits and '_'; Jet's lexer is that liberal too.
bool isWordChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || isDigit(c) || c == u'_' ||
         c >= 0x80;
}

[[noreturn]] void syntaxError(const std::string& what, size_t offset) {
  throw Error(errc::kSyntaxError,
              "Syntax error in the SQL statement: " + what + " at character " +
                  std::to_string(offset + 1) + ".");
}

}  // namespace

bool Token::isWord(std::u16string_view keyword) const {
  return kind == TokenKind::Word && equalsIgnoringCase(text, keyword);
}

std::vector<Token> tokenize(std::u16string_view s) {
  std::vector<Token> out;
  size_t i = 0;
  while (true) {
    while (i < s.size() && isSpace(s[i])) ++i;
    if (i >= s.size()) break;
    Token t;
    t.offset = i;
    char16_t c = s[i];
    if (c == u'[') {
      size_t end = s.find(u']', i + 1);
      if (end == std::u16string_view::npos) syntaxError("a '[' name is not closed", i);
      t.kind = TokenKind::Bracketed;
      t.text = std::u16string(s.substr(i + 1, end - i - 1));
      if (t.text.empty()) syntaxError("an empty [] name", i);
      i = end + 1;
    } else if (c == u'\'' || c == u'"') {
      t.kind = TokenKind::String;
      size_t j = i + 1;
      bool closed = false;
      while (j < s.size()) {
        if (s[j] == c) {
          if (j + 1 < s.size() && s[j + 1] == c) {
            t.text += c;
            j += 2;
            continue;
          }
          closed = true;
          ++j;
          break;
        }
        t.text += s[j++];
      }
      if (!closed) syntaxError("a text literal is not closed", i);
      i = j;
    } else if (c == u'#') {
      size_t end = s.find(u'#', i + 1);
      if (end == std::u16string_view::npos) syntaxError("a #date# literal is not closed", i);
      t.kind = TokenKind::Date;
      t.text = std::u16string(s.substr(i + 1, end - i - 1));
      i = end + 1;
    } else if (isDigit(c) || (c == u'.' && i + 1 < s.size() && isDigit(s[i + 1]))) {
      t.kind = TokenKind::Number;
      size_t j = i;
      while (j < s.size() && isDigit(s[j])) ++j;
      if (j < s.size() && s[j] == u'.') {
        ++j;
        while (j < s.size() && isDigit(s[j])) ++j;
      }
      if (j < s.size() && (s[j] == u'e' || s[j] == u'E')) {
        size_t k = j + 1;
        if (k < s.size() && (s[k] == u'+' || s[k] == u'-')) ++k;
        if (k < s.size() && isDigit(s[k])) {
          j = k;
          while (j < s.size() && isDigit(s[j])) ++j;
        }
      }
      if (j < s.size() && isWordChar(s[j])) syntaxError("a number runs into a name", i);
      t.text = std::u16string(s.substr(i, j - i));
      i = j;
    } else if (isWordChar(c)) {
      t.kind = TokenKind::Word;
      size_t j = i;
      while (j < s.size() && isWordChar(s[j])) ++j;
      t.text = std::u16string(s.substr(i, j - i));
      i = j;
    } else {
      t.kind = TokenKind::Symbol;
      std::u16string_view two = s.substr(i, 2);
      if (two == u"<>" || two == u"<=" || two == u">=" || two == u"!=") {
        t.text = std::u16string(two);
        i += 2;
      } else if (std::u16string_view(u"(),.*;=<>+-&/").find(c) != std::u16string_view::npos) {
        t.text = std::u16string(1, c);
        ++i;
      } else {
        std::string shown = c < 0x80 ? std::string(1, static_cast<char>(c)) : "a non-ASCII symbol";
        syntaxError("unexpected character '" + shown + "'", i);
      }
    }
    out.push_back(std::move(t));
  }
  Token end;
  end.offset = s.size();
  out.push_back(end);
  return out;
}

}  // namespace jet::sql
