# The test suites cross-built for Windows and run under Wine, each suite as one test.
#
# GoogleTest is built here from the sources Debian's googletest package installs, with the
# same mingw-w64 toolchain as the code under test.
set(TARVO_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${TARVO_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# Its own CMake names the targets GTest::gtest and GTest::gtest_main too.

# The tests see Linux paths through Wine's Z: drive, which maps to /.
set(TARVO_TEST_SOURCE_DIR "Z:${PROJECT_SOURCE_DIR}")
set(TARVO_TEST_BUILD_DIR "Z:${CMAKE_BINARY_DIR}")
get_filename_component(shared "${TARVO_SHARED_DIR}" ABSOLUTE)
set(TARVO_TEST_SHARED_DIR "Z:${shared}")

# What stays in the Linux suite only, in one place, each with its reason.
#   support/write_trace.cc, drills/        children followed with fork and ptrace
#   jet/crash_safety_test.cc,
#   jet/delete_crash_test.cc               writers forked and killed at random
#   support/tests/oracle_test.cc           mdb-export, mdb-schema and node read our files back
set(TARVO_WINDOWS_LEFT_OUT_SUPPORT ".*/support/write_trace\\.cc$")
set(TARVO_WINDOWS_LEFT_OUT_SOURCES ".*/(oracle_test|crash_safety_test|delete_crash_test)\\.cc$")
# Single tests, as a GoogleTest negative filter:
set(TARVO_WINDOWS_LEFT_OUT_TESTS
  # mdbtools (mdb-export, mdb-ver, mdb-tables) or node's mdb-reader read our files back
  WriterTest.*:ChangeTest.*:ReuseTest.*:CorpusWriteTest.*:CorpusDifferentialTest.*:SqlQueryTest.*
  TarvoDatabase.MdbExportAndMdbReaderAgreeWithTheModel:TarvoDatabase.EmptyRosterGivesNoCertificateRows
  MakeTarvoDb.CommandLineWritesBothFilesAndRefusesBadUsage
  JetdumpTest.ListsTablesAndPrintsRowsLikeMdbExport:JetdumpTest.JsonRowsAndSchemaParse
  NewDatabaseTest.OtherReadersSeeAnEmptyJet4Database:DatabaseCreateTest.PasswordIsStoredAsJetMasksIt
  WritePathTest.NewCertificateFileHasTheTableOthersRead:WritePathTest.AddedRowsAreStoredNumberedAndVisibleToANewRecordset
  WritePathTest.DeleteEmptiesAndAlterAddsTheTypeColumn:WritePathTest.StoredRowsAreSeenByEveryReadAndWrittenWhenTheRecordsetCloses
  Create.OneTableWithTheTwelveColumnsInOrderAndNoRows:Create.RecIdIsNumberedByTheDatabaseAndEmailTakesNull
  ReadBack.MdbExportSeesTheExpectedRows:ReadBack.MdbReaderSeesTheExpectedRowsAndSchema
  # a child forked with a file size limit (its code skips it too where fork is missing)
  WritePathTest.AFailedWriteIsReportedByCloseAndTheFileStaysReadable
  # the Qt window; the Windows window has an end-to-end test of its own
  EndToEnd.StartPickTheDatabaseAndGetTheCertificateFile
  # a directory named with '"', which Windows does not allow in names
  Safety.ASourcePathWithSemicolonsAndQuotesReachesTheEngine)
list(JOIN TARVO_WINDOWS_LEFT_OUT_TESTS ":" TARVO_WINDOWS_LEFT_OUT_TESTS)

# Wine from Debian, quiet, in the build directory's own prefix; scripts/test starts its
# server before ctest so that no test is the first Wine process.
find_program(TARVO_WINE NAMES wine wine64 REQUIRED)
set(TARVO_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix of the Windows tests")

function(tarvo_windows_tests target)
  set(filter "")
  if(TARVO_WINDOWS_LEFT_OUT_TESTS)
    set(filter "--gtest_filter=-${TARVO_WINDOWS_LEFT_OUT_TESTS}")
  endif()
  add_test(NAME ${target} COMMAND ${TARVO_WINE} $<TARGET_FILE:${target}> ${filter}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${target} PROPERTIES TIMEOUT 1800
    ENVIRONMENT "WINEPREFIX=${TARVO_WINEPREFIX};WINEDEBUG=-all")
endfunction()

# The Windows batch program run by Wine and its certificate file read back on Linux by
# mdb-export and mdb-reader: a test of the Linux suite's run_tests, given the program here.
set(TARVO_LINUX_BUILD_DIR "" CACHE PATH "A Linux build whose run_tests checks the Windows programs")
if(TARVO_LINUX_BUILD_DIR AND TARGET tarvo-extractor-batch)
  add_test(NAME windows_batch_readback
           COMMAND ${TARVO_LINUX_BUILD_DIR}/run_tests --gtest_filter=WindowsBatch.*)
  set_tests_properties(windows_batch_readback PROPERTIES TIMEOUT 600
    FAIL_REGULAR_EXPRESSION "SKIPPED|FAILED"
    ENVIRONMENT "WINEPREFIX=${TARVO_WINEPREFIX};WINEDEBUG=-all;TARVO_WINDOWS_BATCH=$<TARGET_FILE:tarvo-extractor-batch>")
endif()
