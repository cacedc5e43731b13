#pragma once
// The descriptors a program starts with. A program started with standard input, output or error
// closed would give that number to the first file or socket it opens, and what it writes for the
// user would land in that file or connection. So the first thing both programs do is to open
// /dev/null on each of the three that is closed; and they note which descriptors they were given,
// so that a name such as /dev/stdout or /dev/fd/3 is refused when it stands for a descriptor the
// program opened itself.

namespace vorlix::platform {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, and notes which descriptors
// were open. Call it first in main, before anything opens a file or a socket.
void SecureStandardStreams();

// Whether `fd` was open when SecureStandardStreams ran; a standard stream that it had to open on
// /dev/null was not. In a program that has not called it, every descriptor counts as open.
bool OpenAtStart(int fd);

}  // namespace vorlix::platform
