// Where the certificate-file procedures that report their own failures show them: a modal
// box with one OK button and no icon. The run passes its window; the tests a recorder.
#pragma once

#include <string>

namespace certfile {

class MessageBox {
 public:
  virtual ~MessageBox() = default;
  virtual void showMessage(const std::u16string& text, const std::u16string& title) = 0;
};

}  // namespace certfile
