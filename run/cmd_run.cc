// cmdRUN_Click: the extraction run as one numbered sequence of steps. Each case below is
// one step of the list; `next_` is where the run goes on. A decision sets `next_` to its
// true branch before it tests, so a test that fails takes that branch, as the failure
// rule requires.
#include <filesystem>

#include "certfile/create.h"
#include "certfile/data_source.h"
#include "certfile/message_box.h"
#include "certfile/upgrade.h"
#include "data/ado.h"
#include "jet/util/damage.h"
#include "jet/port/new_file.h"
#include "jet/util/error.h"
#include "jet/util/unicode.h"
#include "run/cert_path.h"
#include "run/failure_rule.h"
#include "run/fill_cert_row.h"
#include "run/run_state.h"
#include "run/run_window.h"
#include "run/text.h"
#include "run/text_copy.h"

namespace run {

namespace {

constexpr int kEnd = 72;  // one past the last step

constexpr const char16_t* kPassword = u"KRVNDQLT-58203";
constexpr const char16_t* kCertQuery = u"SELECT * FROM Tarvo_Certs";

constexpr const char16_t* kQualificationQuery =
    u"SELECT Control.Licensee, Qualifications.Course, Qualifications.QualDate, "
    u"Qualifications.Location, Qualifications.Expiration, Roster.Office, Roster.LName, "
    u"Roster.FName, Roster.Email, Roster.License FROM Control INNER JOIN (Qualifications "
    u"INNER JOIN Roster ON Qualifications.AgentID = Roster.ID) ON Control.License_Nbr = "
    u"Roster.License WHERE Qualifications.PassFail = True";

constexpr const char16_t* kTrainingQuery =
    u"SELECT Control.Licensee, Training.CourseName, Training.CourseDate, Training.Location, "
    u"Training.Expiration, Roster.Office, Roster.LName, Roster.FName, Roster.Email, "
    u"Roster.License FROM Control INNER JOIN (Training INNER JOIN Roster ON Training.AgentID "
    u"= Roster.ID) ON Control.License_Nbr = Roster.License WHERE Training.PassFail = True";

// The path goes in as a quoted value when it holds a ';' or a quote, so it arrives intact.
// The source is opened so that others may go on reading and writing it. The certificate
// file is opened denying other writers: the run is its one writer from the open on, so two
// runs never interleave their changes, and one that finds the file taken stops there.
std::u16string connectionString(const std::u16string& path, bool oneWriter) {
  return u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + certfile::dataSourceValue(path) +
         u";Jet OLEDB:Database Password=" + kPassword +
         (oneWriter ? u";Mode=Read|Write|Share Deny Write" : u";Mode=Read|Write");
}

bool hasCurrentRow(const std::optional<data::Recordset>& rs) {
  return rs && rs->state() == data::adStateOpen && !rs->eof() && !rs->bof();
}

// The box of FieldExists and AddNewField is the window's.
class WindowBox : public certfile::MessageBox {
 public:
  explicit WindowBox(RunWindow& window) : window_(window) {}
  void showMessage(const std::u16string& text, const std::u16string& title) override {
    window_.showMessage(text, title);
  }

 private:
  RunWindow& window_;
};

class Run {
 public:
  explicit Run(RunWindow& window) : w_(window), rule_(window), box_(window) {}

  void execute() {
    for (int step = 1; step < kEnd;) {
      next_ = step + 1;
      try {
        perform(step);
      } catch (const RunCancelled&) {
        return;
      } catch (...) {
        try {
          rule_.report(currentFailure());
        } catch (const RunCancelled&) {
          return;
        }
      }
      step = next_;
    }
  }

 private:
  void perform(int step) {
    switch (step) {
      // Choosing the source database.
      case 1: w_.setDialogCancelError(true); break;
      case 2: w_.setDialogTitle(u"Select your Tarvo Database File"); break;
      case 3: w_.setDialogFilter(u"Tarvo Data ONLY (tarvo*.mdb)|tarvo*.mdb"); break;
      case 4: w_.setDialogFlags(1); break;
      case 5: w_.setDialogInitDir(w_.programDirectory().u16string()); break;
      case 6: w_.showOpenDialog(); break;
      case 7: s_.sSourceFile = w_.dialogFileName(); break;
      case 8: w_.processPendingEvents(); break;

      // Opening the source database and its two queries.
      case 9: s_.cnSource.emplace(); break;
      case 10: need(s_.cnSource).setCursorLocation(data::adUseClient); break;
      case 11: need(s_.cnSource).setConnectionString(connectionString(s_.sSourceFile, false)); break;
      case 12: need(s_.cnSource).open(); break;
      case 13: s_.rsQual.emplace(); break;
      case 14: need(s_.rsQual).setActiveConnection(need(s_.cnSource)); break;
      case 15: need(s_.rsQual).setCursorType(data::adOpenStatic); break;
      case 16: need(s_.rsQual).setSource(kQualificationQuery); break;
      case 17: need(s_.rsQual).open(); break;
      case 18: s_.qualificationCount = need(s_.rsQual).recordCount(); break;
      case 19: s_.rsTrain.emplace(); break;
      case 20: need(s_.rsTrain).setActiveConnection(need(s_.cnSource)); break;
      case 21: need(s_.rsTrain).setCursorType(data::adOpenStatic); break;
      case 22: need(s_.rsTrain).setSource(kTrainingQuery); break;
      case 23: need(s_.rsTrain).open(); break;
      case 24: s_.trainingCount = need(s_.rsTrain).recordCount(); break;

      // Counted.
      case 25: s_.total = checkedAdd(s_.qualificationCount, s_.trainingCount); break;
      case 26: w_.setResultsText(decimal(s_.total)); break;
      case 27: w_.setProgressMax(static_cast<float>(s_.total)); break;

      // Naming, creating and showing the certificate file.
      case 28: s_.sCertFile = certificatePath(w_.programDirectory(), licence()).u16string(); break;
      case 29:  // decision: does the file exist?
        next_ = 32;
        if (!std::filesystem::is_regular_file(std::filesystem::path(s_.sCertFile))) next_ = 30;
        // A run killed while another published the file left its scratch file; creating
        // removes those, and this run will not create.
        else jet::NewFile::removeAbandoned(std::filesystem::path(s_.sCertFile));
        break;
      // The file and its table are made under a scratch name and renamed into place only
      // once both exist: a run that fails or is killed in between (a full disk, a power cut)
      // must not leave a tableless file that every later run would take as its certificate
      // file and fail on. The scratch name is the run's own (jet::NewFile), and the rename
      // never replaces: when another run has put its file there first, that file is the one
      // to use, and the open decides which run writes it.
      case 30: underCertName([&] { createCertFile(); }); break;
      case 31: underCertName([&] { createTableAndPublish(); }); break;
      case 32: {
        const std::u16string number = licence();
        (void)certificatePath(w_.programDirectory(), number);  // the same check as step 28
        w_.setUploadFileDirectoryText(certificateFileName(number));
        break;
      }
      case 33: w_.setUploadFileNameText(w_.programDirectory().u16string()); break;

      // Opening the certificate file.
      case 34:
        if (!s_.cnCerts) s_.cnCerts.emplace();
        s_.cnCerts->setConnectionString(connectionString(s_.sCertFile, true));
        break;
      case 35: need(s_.cnCerts).setCursorLocation(data::adUseClient); break;
      case 36:
        // Every later step works on this connection: without it the stage ends here, with
        // the one message that says why (another run writing the file, a foreign file, a
        // damaged one, which the open checks before anything changes it).
        next_ = kEnd - 1;
        try {
          need(s_.cnCerts).open(u"", u"", u"", data::adConnectUnspecified);
        } catch (const jet::DamageError& e) {
          throw damagedCertificate(e);
        }
        next_ = 37;
        break;
      case 37: command().setActiveConnection(need(s_.cnCerts)); break;
      case 38: command().setCommandText(kCertQuery); break;
      case 39: command().setCommandType(data::adCmdText); break;
      case 40: certs().setCursorType(data::adOpenStatic); break;
      case 41: certs().setCursorLocation(data::adUseClient); break;
      case 42: certs().setLockType(data::adLockOptimistic); break;
      case 43: certs().setActiveConnection(need(s_.cnCerts)); break;
      case 44:
        try {
          certs().open(command());
        } catch (const jet::DamageError& e) {
          next_ = kEnd - 1;  // a damaged row ends the stage, as a damaged page did at the open
          throw damagedCertificate(e);
        }
        break;

      // Clearing the table.
      case 45:  // decision: does the table hold rows?
        if (!(certs().recordCount() > 0)) next_ = 50;
        break;
      case 46: clear(); break;
      case 47:  // decision: is rsCerts open?
        if (certs().state() != data::adStateOpen) next_ = 50;
        break;
      case 48: certs().close(); break;
      case 49: certs().open(kCertQuery); break;

      // Upgrading the table.
      case 50:
        s_.hasType = certfile::FieldExists(need(s_.cnCerts), certfile::kCertTable, u"Type", box_);
        break;
      case 51:
        if (!s_.hasType) {
          certfile::AddNewField(need(s_.cnCerts), certfile::kCertTable, u"Type", u"String", box_);
          refreshCerts();
        }
        break;
      case 52: w_.setProgressVisible(true); break;

      // The qualification pass.
      case 53: startPass(Pass::Qualification, s_.rsQual, 54, 60, "qualification"); break;
      case 54: store([&] { certs().addNew(); }, true, 60); break;
      case 55: FillCertRow(need(s_.passColumns), rule_); break;
      case 56: store([&] { certs().updateBatch(data::adAffectAll); }, false, 60); break;
      case 57: need(s_.rsQual).moveNext(); break;
      case 58: advanceProgress(); break;
      case 59: nextRow(54, 60); break;
      case 60: s_.passColumns.reset(), need(s_.rsQual).close(), s_.rsQual.reset(); break;

      // The training pass.
      case 61: startPass(Pass::Training, s_.rsTrain, 62, 68, "training"); break;
      case 62: store([&] { certs().addNew(); }, true, 68); break;
      case 63: FillCertRow(need(s_.passColumns), rule_); break;
      case 64: store([&] { certs().updateBatch(data::adAffectAll); }, false, 68); break;
      case 65: need(s_.rsTrain).moveNext(); break;
      case 66: advanceProgress(); break;
      case 67: nextRow(62, 68); break;
      case 68: s_.passColumns.reset(), need(s_.rsTrain).close(), s_.rsTrain.reset(); break;

      // Closing.
      case 69: w_.setProgressVisible(false); break;
      case 70: certs().close(), s_.rsCerts.reset(); break;
      case 71: break;  // the run ends: what it holds is released with it; no message
      default: break;
    }
  }

  // Step 30. Without a certificate path (no licence number read) the creation fails on the
  // empty path and touches no file.
  void createCertFile() {
    if (s_.sCertFile.empty()) return certfile::CreateAccessDatabase(u"");
    s_.newCertFile.emplace(std::filesystem::path(s_.sCertFile));
    certfile::CreateAccessDatabase(*s_.newCertFile);
  }

  // Step 31. Without the file of step 30 there is no table to make: the message says so
  // about the certificate file rather than about a scratch file that does not exist. The
  // publication syncs the file: its failure is this step's, and nothing is published.
  void createTableAndPublish() {
    std::optional<jet::NewFile>& file = s_.newCertFile;
    if (!s_.sCertFile.empty() && !(file && file->created())) {
      throw RunError(jet::errc::kUnspecified, "The certificate file '" + certName() +
                                                  "' was not created, so its table Tarvo_Certs was not made.");
    }
    try {
      certfile::CreateAccessTable(file ? file->scratchPath().u16string() : u"");
      try {
        need(file).publish();  // false: another run's file is there, and the scratch file is gone
      } catch (const jet::FileError& e) {
        const std::string reason = e.reason().empty() ? std::string(e.description()) : e.reason();
        throw jet::FileError(e.number(), "Cannot create the certificate file '" + certName() + "': " + reason + ".",
                             reason);
      }
    } catch (...) {
      if (file) file->discard();
      throw;
    }
  }

  // Steps 30 and 31 work on the run's scratch file; their failures name the certificate
  // file, the one the user knows.
  template <typename Body>
  void underCertName(Body&& body) {
    try {
      body();
    } catch (const jet::Error& e) {
      const std::string scratch = s_.newCertFile ? jet::pathText(s_.newCertFile->scratchPath()) : std::string();
      std::string text = e.description();
      if (!scratch.empty()) {
        const std::string cert = certName();
        for (size_t at = text.find(scratch); at != std::string::npos; at = text.find(scratch, at + cert.size()))
          text.replace(at, scratch.size(), cert);
      }
      if (const auto* file = dynamic_cast<const jet::FileError*>(&e)) throw jet::FileError(e.number(), text, file->reason());
      throw jet::Error(e.number(), text);
    }
  }
  std::string certName() const { return jet::pathText(std::filesystem::path(s_.sCertFile)); }

  // The certificate command and record set are made at their first use.
  data::Command& command() {
    if (!s_.certCommand) s_.certCommand.emplace();
    return *s_.certCommand;
  }
  data::Recordset& certs() {
    if (!s_.rsCerts) s_.rsCerts.emplace();
    return *s_.rsCerts;
  }

  // An open rsCerts keeps the field list it was opened with, so after the upgrade it would
  // refuse Type on every row and the file would hold no Q or T at all. Opening it again
  // on the same source lets the new column in; the table is empty by now.
  void refreshCerts() {
    if (!s_.rsCerts || s_.rsCerts->state() != data::adStateOpen) return;
    s_.rsCerts->close();
    s_.rsCerts->open(kCertQuery);
  }

  // The licence number of the certificate file: License of the first qualification row,
  // or of the first training row when the qualification query found none, so training
  // certificates still get their file.
  std::u16string licence() {
    std::optional<data::Recordset>& source =
        !hasCurrentRow(s_.rsQual) && hasCurrentRow(s_.rsTrain) ? s_.rsTrain : s_.rsQual;
    return textCopy(need(source).field(u"License").value());
  }

  // Step 46. A clear that failed leaves the old rows in the table, and new rows on top of
  // them would make a file that looks whole but holds both: the rest of the stage, which
  // only adds, is skipped, and the message says so. A table that is not there holds no old
  // rows; that failure goes on as any other.
  void clear() {
    try {
      need(s_.cnCerts).execute(u"DELETE * FROM Tarvo_Certs");
    } catch (const jet::DamageError& e) {
      next_ = 69;
      throw damagedCertificate(e);
    } catch (const jet::Error& e) {
      if (e.number() == data::errc::kTableNotFound) throw;
      next_ = 69;
      throw RunError(e.number(), std::string("The old certificate rows could not be deleted, so no new rows "
                                             "were added: ") + e.description());
    }
  }

  // A certificate file found damaged is left as it is: refilled, it would look whole to the
  // website while Access may refuse it. The message names the file and what to do.
  RunError damagedCertificate(const jet::DamageError& e) const {
    const std::string where = e.table().empty() ? "" : "the table '" + jet::toUtf8(e.table()) + "', ";
    return RunError(e.number(), "The certificate file " + jet::toUtf8(s_.sCertFile) + " is damaged (" + where +
                                    e.problem() + "), so it was not changed. Move it away or delete it; the "
                                    "next run makes a new one.");
  }

  // Steps 54, 56, 62 and 64. A failure that is not the row's own (the record set or its
  // connection closed, the file refusing to be written) would fail every later row the
  // same way: it is reported once, and this pass and the next one end. A row the table
  // refuses (a value a column cannot take) is reported and the pass goes on. Adding a row
  // involves no value, so its failure is never the row's.
  template <typename Body>
  void store(Body&& body, bool notTheRow, int after) {
    try {
      body();
    } catch (...) {
      if (notTheRow || noRowCanBeStored()) {
        s_.storingStopped = true;
        next_ = after;
      }
      throw;
    }
  }

  // Called inside a catch block.
  bool noRowCanBeStored() const {
    if (!s_.rsCerts || s_.rsCerts->state() != data::adStateOpen || !s_.cnCerts ||
        s_.cnCerts->state() != data::adStateOpen) {
      return true;
    }
    try {
      throw;
    } catch (const jet::FileError&) {
      return true;
    } catch (const jet::Error& e) {
      return e.number() == data::errc::kObjectClosed || e.number() == data::errc::kNoConnection;
    } catch (...) {
      return false;
    }
  }

  // Steps 53 and 61. The pass ends at once (its true branch) when the bound cannot be read
  // or the certificate record set is not open: with either unusable it has nothing it
  // could copy, and every row would fail every step. After a pass stopped because no row
  // could be stored, the next one ends without a word: the cause has been reported.
  void startPass(Pass pass, std::optional<data::Recordset>& source, int firstRow, int after,
                 const char* name) {
    next_ = after;
    if (s_.storingStopped) return;
    s_.passBound = need(source).recordCount();
    s_.passCounter = 1;
    if (!s_.rsCerts || s_.rsCerts->state() != data::adStateOpen) {
      throw RunError(data::errc::kObjectClosed,
                     std::string("The certificate table is not open, so the ") + name +
                         " pass copies no rows.");
    }
    s_.passColumns.emplace(pass, *source, *s_.rsCerts);
    if (!(s_.passCounter > s_.passBound)) next_ = firstRow;
  }

  // Steps 58 and 66: the bar never goes past its maximum. A failed test takes the
  // increment; a failed increment ends the step.
  void advanceProgress() {
    const bool below = rule_.decide([&] { return w_.progressMax() > w_.progressValue(); });
    if (below) {
      w_.setProgressValue(w_.progressValue() + 1);
    } else {
      w_.setProgressValue(w_.progressMax());
    }
  }

  // Steps 59 and 67. A counter that cannot be incremented has counted the largest bound
  // there is: the pass is complete, so the failure leaves the loop rather than repeat the
  // last row forever.
  void nextRow(int loop, int after) {
    next_ = after;
    s_.passCounter = checkedAdd(s_.passCounter, 1);
    if (!(s_.passCounter > s_.passBound)) next_ = loop;
  }

  RunWindow& w_;
  FailureRule rule_;
  WindowBox box_;
  RunState s_;
  int next_ = 1;
};

}  // namespace

void cmdRUN_Click(RunWindow& window) { Run(window).execute(); }

}  // namespace run
