#include "jet/sql/parser.h"

#include "jet/sql/clause_parsers.h"

namespace jet::sql {

Statement parse(std::u16string_view statement) {
  TokenStream in(tokenize(statement));
  Statement result;
  if (in.acceptWord(u"SELECT")) {
    result = parseSelect(in);
  } else if (in.acceptWord(u"DELETE")) {
    result = parseDelete(in);
  } else if (in.acceptWord(u"ALTER")) {
    result = parseAlterTable(in);
  } else if (in.atEnd()) {
    in.fail("the statement is empty");
  } else {
    in.fail("expected SELECT, DELETE or ALTER TABLE");
  }
  in.acceptSymbol(u";");
  if (!in.atEnd()) in.fail("unexpected text after the end of the statement");
  return result;
}

}  // namespace jet::sql
