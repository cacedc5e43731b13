#pragma once
// Paged searches (RFC 2696) that cannot run forever: the page sizes a client tries when a server
// refuses one, and the watch that ends a search making no progress. A server that hands back the
// cookie it was given with nothing new, or sends page after page without a new entry, would
// otherwise keep the client asking without end.

#include <cstddef>
#include <optional>
#include <string>

namespace vorlix::directory {

// The page size a connection starts with (as much as a server with the common size limit of 500
// hands out in one page), and the smallest it tries before it searches without pages.
inline constexpr int kFirstPageSize = 500;
inline constexpr int kSmallestPageSize = 10;

// The next smaller page size to try after a server refused `size`; 0 when none is left.
int SmallerPageSize(int size);

// Pages in a row that bring no entry not seen before, after which a search ends with an error.
inline constexpr size_t kMaxPagesWithoutProgress = 100;

class PageWatch {
 public:
  // Takes the page that answered a request made with sentCookie: newEntries of its entries were
  // not seen before in this search, and nextCookie asks for the next page. Returns what is wrong
  // when the search makes no progress, for an error message.
  std::optional<std::string> Check(const std::string& sentCookie, size_t newEntries,
                                   const std::string& nextCookie);

 private:
  size_t pagesWithoutProgress_ = 0;
};

}  // namespace vorlix::directory
