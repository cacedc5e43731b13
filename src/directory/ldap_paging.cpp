#include "directory/ldap_paging.h"

namespace vorlix::directory {

int SmallerPageSize(int size) {
  const int smaller = size / 2;
  return smaller >= kSmallestPageSize ? smaller : 0;
}

std::optional<std::string> PageWatch::Check(const std::string& sentCookie, size_t newEntries,
                                            const std::string& nextCookie) {
  if (newEntries > 0 || nextCookie.empty()) {
    pagesWithoutProgress_ = 0;
    return std::nullopt;
  }
  // Some servers keep one cookie for a whole search; with new entries that is progress.
  if (!sentCookie.empty() && nextCookie == sentCookie) {
    return "the server answered a page with the cookie it was given and no new entry, so the "
           "search makes no progress";
  }
  if (++pagesWithoutProgress_ >= kMaxPagesWithoutProgress) {
    return "the server sent " + std::to_string(pagesWithoutProgress_) +
           " pages in a row without a new entry and without ending the search";
  }
  return std::nullopt;
}

}  // namespace vorlix::directory
