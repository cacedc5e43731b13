#pragma once
// What a file carries besides its bytes, handed from a file to the new file that replaces it: the
// owner and the group (each on its own, so that a group this user belongs to is kept when the
// owner cannot be), the permission bits, the POSIX access control list and the extended
// attributes.
//
// Access is never widened silently. When the group cannot be kept, the new file's group gets no
// access (it would be a group the old file did not admit); when the access control list cannot be
// kept, only the owner may use the new file. Whatever is not carried over is named in a warning.

#include <sys/stat.h>

#include <string>
#include <vector>

namespace vorlix::platform {

// Gives the open file `to` what the open file `from` (whose status is `fromStatus`) carries.
// Returns one sentence for each thing that could not be carried over, e.g. "its group "staff"
// could not be kept (Operation not permitted); the group gets no access".
std::vector<std::string> CopyFileMetadata(int from, const struct stat& fromStatus, int to);

}  // namespace vorlix::platform
