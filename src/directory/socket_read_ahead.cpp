#include "directory/socket_read_ahead.h"

#include <lber.h>

namespace vorlix::directory {

bool ReadAhead(Sockbuf* sb) {
  // The lowest level, above the socket itself: the layers above see the same bytes as before.
  return sb != nullptr &&
         ber_sockbuf_add_io(sb, &ber_sockbuf_io_readahead, LBER_SBIOD_LEVEL_PROVIDER, nullptr) == 0;
}

}  // namespace vorlix::directory
