#pragma once
// Sorting of names as the lookup lists them: without regard to letter case in any script
// (platform/case_fold.h), in the user's locale order (LC_COLLATE), ties broken by byte order so
// the result never depends on the input order.

#include <string>
#include <vector>

#include "directory/name_list.h"

namespace vorlix::directory {

void SortNames(std::vector<std::string>& names);
void SortNames(NameList& names);  // by text; attached values move with their entries

}  // namespace vorlix::directory
