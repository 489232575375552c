#pragma once
// One CSV field. A field is written as it is unless it holds a comma, a double
// quote or a line break, which would shift the columns: such a field is
// quoted, its quotes doubled.

#include <string>
#include <string_view>

void AppendCsvField(std::string& out, std::string_view field);
