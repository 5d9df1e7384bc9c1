#include "run/cert_path.h"

#include "run/failure_rule.h"
#include "data/text.h"

namespace run {

namespace {

char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c; }

bool equalsUpper(std::u16string_view a, std::u16string_view upperB) {
  if (a.size() != upperB.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (upper(a[i]) != upperB[i]) return false;
  }
  return true;
}

// Windows opens a device, not a file, for these names with any extension.
bool isDeviceName(std::u16string_view name) {
  for (std::u16string_view device : {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"}) {
    if (equalsUpper(name, device)) return true;
  }
  if (name.size() == 4 && (equalsUpper(name.substr(0, 3), u"COM") ||
                           equalsUpper(name.substr(0, 3), u"LPT"))) {
    const char16_t digit = name[3];
    // COM1..COM9, LPT1..LPT9 and the superscript digits Windows treats alike.
    return (digit >= u'1' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' ||
           digit == u'\u00B3';
  }
  return false;
}

}  // namespace

std::u16string certificateFileName(std::u16string_view licence) {
  return std::u16string(licence) + u".mdb";
}

std::optional<std::string> licenceNameProblem(std::u16string_view licence) {
  if (licence == u"." || licence == u"..") return "it is a directory name";
  for (char16_t c : licence) {
    if (c == u'/' || c == u'\\') return "it holds a path separator";
    if (c < 0x20 || c == 0x7F) return "it holds a control character";
    if (std::u16string_view(u":*?\"<>|").find(c) != std::u16string_view::npos) {
      return std::string("it holds the character ") + static_cast<char>(c) +
             " that file names cannot hold";
    }
  }
  // Windows drops trailing blanks and dots of a name part, so "CON " is CON too.
  std::u16string_view stem = licence;
  while (!stem.empty() && (stem.back() == u' ' || stem.back() == u'.')) stem.remove_suffix(1);
  if (const auto dot = stem.find(u'.'); dot != std::u16string_view::npos) stem = stem.substr(0, dot);
  if (isDeviceName(stem)) return "it is the name of a device";
  return std::nullopt;
}

std::filesystem::path certificatePath(const std::filesystem::path& programDirectory,
                                      std::u16string_view licence) {
  if (auto problem = licenceNameProblem(licence)) {
    std::u16string shown(licence);
    for (char16_t& c : shown) {
      if (c < 0x20 || c == 0x7F) c = u'?';
    }
    throw RunError(kBadFileName, "The licence number \"" + data::toUtf8(shown) +
                                     "\" cannot name the certificate file: " + *problem + ".");
  }
  return programDirectory / std::filesystem::path(certificateFileName(licence));
}

}  // namespace run
