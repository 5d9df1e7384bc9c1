// Opening certificate files in certfile tests, and a recorder of message boxes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "certfile/message_box.h"
#include "data/ado.h"

namespace certtest {

struct Recorder : certfile::MessageBox {
  struct Box {
    std::u16string text, title;
  };
  std::vector<Box> boxes;
  void showMessage(const std::u16string& text, const std::u16string& title) override {
    boxes.push_back({text, title});
  }
};

inline data::Connection openFile(const std::filesystem::path& file) {
  data::Connection cn;
  cn.setConnectionString(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"" + file.u16string() +
                         u"\";Jet OLEDB:Database Password=KRVNDQLT-58203;Mode=Read|Write");
  cn.setCursorLocation(data::adUseClient);
  cn.open();
  return cn;
}

}  // namespace certtest
