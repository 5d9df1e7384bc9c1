// The parsers of each statement kind and clause, over a shared token stream.
#pragma once

#include "jet/sql/ast.h"
#include "jet/sql/token_stream.h"

namespace jet::sql {

Expr parseExpression(TokenStream& in);          // expression_parser.cc
SelectStatement parseSelect(TokenStream& in);   // select_parser.cc (after SELECT)
FromItem parseFrom(TokenStream& in);            // from_parser.cc (after FROM)
DeleteStatement parseDelete(TokenStream& in);   // delete_parser.cc (after DELETE)
AddColumnStatement parseAlterTable(TokenStream& in);  // alter_table_parser.cc (after ALTER)
TypeSpec parseTypeSpec(TokenStream& in);        // type_words.cc

}  // namespace jet::sql
