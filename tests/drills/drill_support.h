// What every drill needs: a working copy of the generated Tarvo sample, the batch front end
// run on it as a child process, the certificate file read back, and the checks that hold in
// every drill (the source unchanged byte for byte; a clear message, no crash, no hang).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/drills/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/paths.h"

namespace drills {

using testsupport::fileBytes;

inline constexpr char16_t kPassword[] = u"KRVNDQLT-58203";

std::filesystem::path sampleSource();       // the read-only corpus original
std::filesystem::path batchProgram();       // build/tarvo-extractor-batch
std::string licenceNumber();                // the sample's licence number, from its expected rows
void writeBytes(const std::filesystem::path& file, const std::string& bytes);

// The batch front end on `source`, writing into `outDir`.
ChildResult runBatch(const std::filesystem::path& source, const std::filesystem::path& outDir,
                     const ChildOptions& options = {});

// The run ended by itself, in time, without a crash, an uncaught exception or a sanitizer
// report.
void expectOrderlyEnd(const ChildResult& r);
// ... and reported at least one failure as a message box line "Error in cmdRUN: N-text"
// with a description after the number.
void expectClearFailure(const ChildResult& r);

// One certificate row as text, the columns LName .. Type in their table order; Null as "\N".
using CertRow = std::vector<std::string>;
// The rows of Tarvo_Certs in stored order; throws jet::Error when the file does not open.
std::vector<CertRow> readCertRows(const std::filesystem::path& certFile);
// The rows the sample must give, from its expected-rows file, in the same text form.
std::vector<CertRow> expectedSampleRows();
// `bytes` with page `page` (of 4096 bytes) overwritten by random ones, as a failing disk or
// a broken copy leaves it.
std::string withRandomPage(std::string bytes, size_t page, unsigned seed);

// True when `rows` are the first rows.size() of `all`.
bool isPrefix(const std::vector<CertRow>& rows, const std::vector<CertRow>& all);

}  // namespace drills
