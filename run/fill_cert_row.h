// FillCertRow: one source row of a pass into the certificate row just added.
//
//   step  certificate column  qualification pass  training pass   copy
//    1    LName               LName               LName            text
//    2    FName               FName               FName            text
//    3    Course              Course              CourseName       text
//    4    Date                QualDate            CourseDate       value (Null stays Null)
//    5    Location            Location            Location         text
//    6    Email               Email               Email            text
//    7    Expiration          Expiration          Expiration       value
//    8    LicenseNo           License             License          text
//    9    Licensee            Licensee            Licensee         text
//   10    Type                "Q"                 "T"              constant
//   11    Office              Office rule         Office rule      text
//
// Office rule: when the source Office is Null or the empty text, Office gets Licensee;
// otherwise Office. Each step is a step of the run under its failure rule: a failed step
// leaves its column as the new row had it and the mapping goes on; a failed Office test
// takes Licensee. The row is neither added, saved nor moved here.
#pragma once

#include "data/recordset.h"
#include "run/failure_rule.h"

namespace run {

enum class Pass { Qualification, Training };

void FillCertRow(Pass pass, const data::Recordset& source, const data::Recordset& cert,
                 FailureRule& rule);

}  // namespace run
