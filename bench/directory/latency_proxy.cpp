// A TCP proxy that delays every byte by a fixed time in each direction, so that a server on this
// machine answers as one across a network would: with 1 ms each way a round trip takes 2 ms more.
// Bytes keep their order and are never held back by others, so requests sent without waiting
// stay in flight together.
//
//   latency_proxy TARGET_PORT DELAY_MS_EACH_WAY
//
// Listens on a free port of 127.0.0.1, prints it on the first line of standard output, and
// forwards every connection to 127.0.0.1:TARGET_PORT until it is killed.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Chunk {
  Clock::time_point due;
  std::string bytes;
  size_t sent = 0;
};

// One direction of a connection: what was read from `from` waits in `queue` until it is due
// for `to`.
struct Direction {
  int from = -1;
  int to = -1;
  std::deque<Chunk> queue;
  bool ended = false;  // `from` reached its end; `to` is shut for writing once the queue is empty
};

struct Connection {
  Direction up, down;
  bool closed = false;
};

int Listen(uint16_t& port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 64) != 0) {
    std::perror("listen");
    std::exit(1);
  }
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

int ConnectTo(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

void Tune(int fd) {
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Reads what `from` has, queueing it with its due time; false when the connection must close.
bool Pull(Direction& d, Clock::duration delay) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(d.from, buffer, sizeof buffer);
    if (n > 0) {
      d.queue.push_back(Chunk{Clock::now() + delay, std::string(buffer, static_cast<size_t>(n))});
      continue;
    }
    if (n == 0) {
      d.ended = true;
      return true;
    }
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
  }
}

// Writes what is due to `to`; false when the connection must close.
bool Push(Direction& d) {
  const auto now = Clock::now();
  while (!d.queue.empty() && d.queue.front().due <= now) {
    Chunk& chunk = d.queue.front();
    const ssize_t n = write(d.to, chunk.bytes.data() + chunk.sent, chunk.bytes.size() - chunk.sent);
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    chunk.sent += static_cast<size_t>(n);
    if (chunk.sent < chunk.bytes.size()) return true;
    d.queue.pop_front();
  }
  if (d.ended && d.queue.empty()) shutdown(d.to, SHUT_WR);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s TARGET_PORT DELAY_MS_EACH_WAY\n", argv[0]);
    return 64;
  }
  std::signal(SIGPIPE, SIG_IGN);
  const auto target = static_cast<uint16_t>(std::atoi(argv[1]));
  const auto delay = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double, std::milli>(std::atof(argv[2])));
  uint16_t port = 0;
  const int listener = Listen(port);
  std::printf("%u\n", port);
  std::fflush(stdout);

  std::vector<std::unique_ptr<Connection>> connections;
  for (;;) {
    std::vector<pollfd> fds = {{listener, POLLIN, 0}};
    auto next = Clock::time_point::max();
    for (const auto& c : connections) {
      for (const Direction* d : {&c->up, &c->down}) {
        fds.push_back({d->from, static_cast<short>(d->ended ? 0 : POLLIN), 0});
        if (!d->queue.empty()) next = std::min(next, d->queue.front().due);
      }
    }
    int wait = -1;
    if (next != Clock::time_point::max()) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
      wait = static_cast<int>(std::max<long long>(0, left.count()));
    }
    poll(fds.data(), fds.size(), wait);

    if (fds[0].revents & POLLIN) {
      const int client = accept(listener, nullptr, nullptr);
      const int server = client >= 0 ? ConnectTo(target) : -1;
      if (server < 0) {
        if (client >= 0) close(client);
      } else {
        Tune(client);
        Tune(server);
        auto c = std::make_unique<Connection>();
        c->up = Direction{client, server, {}, false};
        c->down = Direction{server, client, {}, false};
        connections.push_back(std::move(c));
      }
    }
    for (auto& c : connections) {
      for (Direction* d : {&c->up, &c->down}) {
        if (!Pull(*d, delay) || !Push(*d)) c->closed = true;
      }
      const bool drained = c->up.ended && c->down.ended && c->up.queue.empty() &&
                           c->down.queue.empty();
      if (c->closed || drained) {
        close(c->up.from);
        close(c->down.from);
        c->closed = true;
      }
    }
    std::erase_if(connections, [](const auto& c) { return c->closed; });
  }
}
