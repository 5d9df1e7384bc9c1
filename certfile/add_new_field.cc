#include "certfile/upgrade.h"
#include "data/ado.h"
#include "data/text.h"

namespace certfile {

namespace {

void show(MessageBox& box, int32_t number, const std::u16string& description) {
  const std::string digits = std::to_string(number);
  box.showMessage(std::u16string(digits.begin(), digits.end()) + u"-" + description,
                  u"Error in AddNewField");
}

}  // namespace

void AddNewField(const data::Connection& cnCerts, const std::u16string& tableName,
                 const std::u16string& FieldName, const std::u16string& FieldType,
                 MessageBox& box) {
  try {
    data::Connection connection = cnCerts;
    connection.execute(u"ALTER TABLE " + tableName + u" ADD COLUMN " + FieldName + u" " +
                       FieldType);
  } catch (const data::Error& e) {
    show(box, e.number(), data::fromUtf8(e.description()));
  } catch (const std::exception& e) {
    show(box, data::errc::kUnspecified, data::fromUtf8(e.what()));
  }
}

}  // namespace certfile
