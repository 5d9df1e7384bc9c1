// Writes a TarvoModel into a new Jet 4.0 database file, streaming its rows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "tools/tarvo_model.h"

namespace tools {

// The database password every Tarvo source database carries.
inline constexpr std::u16string_view kTarvoPassword = u"KRVNDQLT-58203";

struct TarvoWriteOptions {
  std::u16string password = std::u16string(kTarvoPassword);
  // Called now and then with the number of rows written so far and the total.
  std::function<void(int64_t done, int64_t total)> progress;

  // A split pair, as an office's database splitter leaves it: the tables and rows go into
  // this back end, and `path` becomes a front end whose four tables are links to it.
  std::optional<std::filesystem::path> backEnd;
  // The back end's password; the front end's when not given.
  std::optional<std::u16string> backEndPassword;
  // The back-end path each link stores (any text: a relative or a Windows path); the
  // back end's absolute path when not given.
  std::optional<std::u16string> linkPath;
  // The links' Connect text; when not given, "MS Access;PWD=" and the back end's password
  // if it has one, as Access stores it, else none.
  std::optional<std::u16string> linkConnect;
};

// The Connect text a link to a back end with this password gets by default.
std::u16string defaultLinkConnect(std::u16string_view backEndPassword);

// Creates `path` (which must not exist yet) with the tables Control, Roster, Qualifications
// and Training and every row of the model, or a split pair (options.backEnd). Files are built
// beside their paths and renamed into place once complete, so a failure leaves no file
// behind. Throws jet::Error for what the engine refuses and std::runtime_error when a file
// to write exists.
void writeTarvoDatabase(const TarvoModel& model, const std::filesystem::path& path,
                        const TarvoWriteOptions& options = {});

}  // namespace tools
