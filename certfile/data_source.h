// The "Data Source" value of a connection string for a file path. A plain path goes in as
// it is; one that the connection-string syntax would cut or change (a ';', a quote, blanks
// at either end) is wrapped in double quotes, with each '"' inside doubled, so the engine
// receives exactly the path.
#pragma once

#include <string>
#include <string_view>

namespace certfile {

std::u16string dataSourceValue(std::u16string_view path);

}  // namespace certfile
