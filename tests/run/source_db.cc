#include "tests/run/source_db.h"

#include "certfile/data_source.h"
#include "data/ado.h"

namespace runtest {

namespace {

std::u16string connectionString(const std::filesystem::path& file, const std::u16string& password) {
  std::u16string s = u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                     certfile::dataSourceValue(file.u16string()) + u";Jet OLEDB:Engine Type=5;";
  if (!password.empty()) s += u"Jet OLEDB:Database Password=" + password + u";";
  return s;
}

void addTable(data::Catalog& catalog, const char16_t* name,
              std::initializer_list<std::pair<const char16_t*, int>> columns) {
  data::Table table;
  table.setName(name);
  for (const auto& [column, type] : columns) {
    table.columns().append(column, type);
    table.columns().item(column).setAttributes(data::adColNullable);
  }
  catalog.tables().append(table);
}

void insert(data::Connection& cn, const char16_t* table,
            const std::vector<std::vector<std::pair<const char16_t*, data::Value>>>& rows) {
  data::Recordset rs;
  rs.setCursorLocation(data::adUseClient);
  rs.open(std::u16string(u"SELECT * FROM ") + table, cn, data::adOpenStatic,
          data::adLockOptimistic, data::adCmdText);
  for (const auto& row : rows) {
    rs.addNew();
    for (const auto& [column, value] : row) rs.field(column).setValue(value);
    rs.updateBatch(data::adAffectAll);
  }
  rs.close();
}

}  // namespace

data::Value text(const char16_t* s) { return data::Value(std::u16string(s)); }
data::Value date(double days) { return data::Value(data::DateTime{days}); }

SourceDb simpleSource(int qualifications, int trainings) {
  SourceDb db;
  db.control.push_back({text(u"L-1"), text(u"Agency One")});
  db.roster.push_back({1, text(u"L-1"), text(u"North"), text(u"Smith"), text(u"Ann"),
                       text(u"ann@example.org")});
  for (int i = 0; i < qualifications; ++i) {
    db.qualifications.push_back({int32_t{1}, text((u"Q course " + std::u16string(1, u'A' + i % 26)).c_str()),
                                 date(40000 + i), text(u"Range"), date(41000 + i), true});
  }
  for (int i = 0; i < trainings; ++i) {
    db.training.push_back({int32_t{1}, text(u"T course"), date(42000 + i), text(u"Hall"),
                           data::Value(), true});
  }
  return db;
}

void writeSourceDb(const std::filesystem::path& file, const SourceDb& db,
                   const std::u16string& password) {
  {
    data::Catalog catalog;
    catalog.create(connectionString(file, password));
    addTable(catalog, u"Control", {{u"License_Nbr", data::adVarWChar}, {u"Licensee", data::adVarWChar}});
    addTable(catalog, u"Roster",
             {{u"ID", data::adInteger}, {u"License", data::adVarWChar}, {u"Office", data::adVarWChar},
              {u"LName", data::adVarWChar}, {u"FName", data::adVarWChar}, {u"Email", data::adVarWChar}});
    addTable(catalog, u"Qualifications",
             {{u"AgentID", data::adInteger}, {u"Course", data::adVarWChar}, {u"QualDate", data::adDate},
              {u"Location", data::adVarWChar}, {u"Expiration", data::adDate}, {u"PassFail", data::adBoolean}});
    addTable(catalog, u"Training",
             {{u"AgentID", data::adInteger}, {u"CourseName", data::adVarWChar},
              {u"CourseDate", data::adDate}, {u"Location", data::adVarWChar},
              {u"Expiration", data::adDate}, {u"PassFail", data::adBoolean}});
  }
  data::Connection cn;
  cn.setConnectionString(connectionString(file, password));
  cn.open();
  std::vector<std::vector<std::pair<const char16_t*, data::Value>>> rows;
  for (const auto& [nbr, name] : db.control) rows.push_back({{u"License_Nbr", nbr}, {u"Licensee", name}});
  insert(cn, u"Control", rows);
  rows.clear();
  for (const auto& p : db.roster) {
    rows.push_back({{u"ID", p.id}, {u"License", p.license}, {u"Office", p.office},
                    {u"LName", p.lname}, {u"FName", p.fname}, {u"Email", p.email}});
  }
  insert(cn, u"Roster", rows);
  rows.clear();
  for (const auto& c : db.qualifications) {
    rows.push_back({{u"AgentID", c.agentId}, {u"Course", c.name}, {u"QualDate", c.date},
                    {u"Location", c.location}, {u"Expiration", c.expiration}, {u"PassFail", c.passFail}});
  }
  insert(cn, u"Qualifications", rows);
  rows.clear();
  for (const auto& c : db.training) {
    rows.push_back({{u"AgentID", c.agentId}, {u"CourseName", c.name}, {u"CourseDate", c.date},
                    {u"Location", c.location}, {u"Expiration", c.expiration}, {u"PassFail", c.passFail}});
  }
  insert(cn, u"Training", rows);
}

std::vector<CertRow> readCertRows(const std::filesystem::path& file) {
  data::Connection cn;
  cn.setConnectionString(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                         certfile::dataSourceValue(file.u16string()) + u";Jet OLEDB:Database Password=" + kPassword + u";Mode=Read|Write");
  cn.open();
  data::Recordset rs;
  rs.setCursorLocation(data::adUseClient);
  rs.open(u"SELECT * FROM Tarvo_Certs", cn, data::adOpenStatic, data::adLockOptimistic,
          data::adCmdText);
  std::vector<CertRow> rows;
  const data::Fields fields = rs.fields();
  while (!rs.eof()) {
    CertRow row;
    for (int i = 0; i < fields.count(); ++i) row[fields.item(i).name()] = fields.item(i).value();
    rows.push_back(std::move(row));
    rs.moveNext();
  }
  return rows;
}

std::vector<std::u16string> certColumns(const std::filesystem::path& file) {
  data::Connection cn;
  cn.setConnectionString(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                         certfile::dataSourceValue(file.u16string()) + u";Jet OLEDB:Database Password=" + kPassword + u";Mode=Read|Write");
  cn.open();
  data::Recordset rs;
  rs.open(u"SELECT * FROM Tarvo_Certs", cn, data::adOpenStatic, data::adLockOptimistic,
          data::adCmdText);
  std::vector<std::u16string> names;
  for (int i = 0; i < rs.fields().count(); ++i) names.push_back(rs.fields().item(i).name());
  return names;
}

}  // namespace runtest
