// Writes a TarvoModel into a new Jet 4.0 database file, streaming its rows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

#include "tools/tarvo_model.h"

namespace tools {

// The database password every Tarvo source database carries.
inline constexpr std::u16string_view kTarvoPassword = u"KRVNDQLT-58203";

struct TarvoWriteOptions {
  std::u16string password = std::u16string(kTarvoPassword);
  // Called now and then with the number of rows written so far and the total.
  std::function<void(int64_t done, int64_t total)> progress;
};

// Creates `path` (which must not exist yet) with the tables Control, Roster, Qualifications
// and Training and every row of the model. The file is built beside `path` and renamed into
// place once complete, so a failure leaves no file behind. Throws jet::Error for what the
// engine refuses and std::runtime_error when `path` exists.
void writeTarvoDatabase(const TarvoModel& model, const std::filesystem::path& path,
                        const TarvoWriteOptions& options = {});

}  // namespace tools
