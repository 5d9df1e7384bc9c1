// Everything the layers above use of the data access layer, in one include.
#pragma once

#include "data/catalog.h"
#include "data/command.h"
#include "data/connection.h"
#include "data/connection_string.h"
#include "data/error.h"
#include "data/field.h"
#include "data/recordset.h"
#include "data/types.h"
#include "data/value.h"
