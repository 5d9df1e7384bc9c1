#include "jet/sql/type_words.h"

#include "jet/sql/clause_parsers.h"
#include "jet/sql/collation.h"

namespace jet::sql {
namespace {

struct TypeWord {
  std::u16string_view word;
  ColumnType type;
  uint16_t size;
  bool autoIncrement = false;
};

constexpr TypeWord kWords[] = {
    {u"TEXT", ColumnType::Text, 255},       {u"STRING", ColumnType::Text, 255},
    {u"VARCHAR", ColumnType::Text, 255},    {u"CHAR", ColumnType::Text, 255},
    {u"CHARACTER", ColumnType::Text, 255},  {u"ALPHANUMERIC", ColumnType::Text, 255},
    {u"NVARCHAR", ColumnType::Text, 255},   {u"NCHAR", ColumnType::Text, 255},
    {u"MEMO", ColumnType::Memo, 0},         {u"LONGTEXT", ColumnType::Memo, 0},
    {u"LONGCHAR", ColumnType::Memo, 0},     {u"NOTE", ColumnType::Memo, 0},
    {u"LONG", ColumnType::Long, 4},         {u"INTEGER", ColumnType::Long, 4},
    {u"INT", ColumnType::Long, 4},          {u"INTEGER4", ColumnType::Long, 4},
    {u"SHORT", ColumnType::Integer, 2},     {u"SMALLINT", ColumnType::Integer, 2},
    {u"INTEGER2", ColumnType::Integer, 2},  {u"BYTE", ColumnType::Byte, 1},
    {u"TINYINT", ColumnType::Byte, 1},      {u"INTEGER1", ColumnType::Byte, 1},
    {u"DATE", ColumnType::DateTime, 8},     {u"DATETIME", ColumnType::DateTime, 8},
    {u"TIME", ColumnType::DateTime, 8},     {u"TIMESTAMP", ColumnType::DateTime, 8},
    {u"BIT", ColumnType::Boolean, 1},       {u"YESNO", ColumnType::Boolean, 1},
    {u"LOGICAL", ColumnType::Boolean, 1},   {u"LOGICAL1", ColumnType::Boolean, 1},
    {u"BOOLEAN", ColumnType::Boolean, 1},   {u"DOUBLE", ColumnType::Double, 8},
    {u"FLOAT", ColumnType::Double, 8},      {u"FLOAT8", ColumnType::Double, 8},
    {u"NUMBER", ColumnType::Double, 8},     {u"IEEEDOUBLE", ColumnType::Double, 8},
    {u"SINGLE", ColumnType::Single, 4},     {u"REAL", ColumnType::Single, 4},
    {u"FLOAT4", ColumnType::Single, 4},     {u"IEEESINGLE", ColumnType::Single, 4},
    {u"CURRENCY", ColumnType::Currency, 8}, {u"MONEY", ColumnType::Currency, 8},
    {u"COUNTER", ColumnType::Long, 4, true}, {u"AUTOINCREMENT", ColumnType::Long, 4, true},
    {u"GUID", ColumnType::Guid, 16},        {u"UNIQUEIDENTIFIER", ColumnType::Guid, 16},
};

}  // namespace

std::optional<TypeSpec> typeOfWord(std::u16string_view word) {
  for (const TypeWord& w : kWords) {
    if (equalsIgnoringCase(word, w.word)) return TypeSpec{w.type, w.size, w.autoIncrement};
  }
  return std::nullopt;
}

TypeSpec parseTypeSpec(TokenStream& in) {
  const Token& t = in.peek();
  if (t.kind != TokenKind::Word && t.kind != TokenKind::Bracketed) in.fail("expected a type");
  std::optional<TypeSpec> wanted = typeOfWord(t.text);
  if (!wanted) in.fail("expected a type word such as TEXT, LONG or DATETIME");
  in.next();
  if (in.acceptSymbol(u"(")) {
    if (wanted->type != ColumnType::Text) in.fail("a size can be given only for text");
    const Token& n = in.peek();
    if (n.kind != TokenKind::Number || n.text.size() > 3 ||
        n.text.find_first_not_of(u"0123456789") != std::u16string::npos) {
      in.fail("expected a text size from 1 to 255");
    }
    int size = 0;
    for (char16_t c : n.text) size = size * 10 + (c - u'0');
    if (size < 1 || size > 255) in.fail("expected a text size from 1 to 255");
    in.next();
    in.expectSymbol(u")");
    wanted->size = static_cast<uint16_t>(size);
  }
  return *wanted;
}

}  // namespace jet::sql
