#pragma once
// The month files of the data log as the deletion dialog lists them.

#include <string>
#include <vector>

// Every "*.dat" file of the folder whose name without ".dat" begins with
// "DataLog" (EventLog.dat and TreeNode.dat never do), without the ".dat", in
// name order, which is month order.
[[nodiscard]] std::vector<std::string> ListDataLogMonths(const std::string& folder);

// Deletes folder + item + ".dat"; false when it could not be deleted.
bool DeleteDataLogMonth(const std::string& folder, const std::string& item);
