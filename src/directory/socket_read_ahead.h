#pragma once
// Reading a connection's bytes in blocks. Left alone, libldap reads each message of a reply with
// two system calls (its header, then its body) and polls before each; a search that returns tens
// of thousands of entries spends much of its client's time in the kernel that way. A read-ahead
// layer under the connection's other layers (TLS, a SASL security layer) takes whatever the socket
// holds, up to a block, and hands it out message by message; libldap asks the layer whether bytes
// wait before it polls, so nothing buffered is left waiting for the socket.

typedef struct sockbuf Sockbuf;  // NOLINT: liblber's own declaration

namespace vorlix::directory {

// Puts the read-ahead layer under the connection's layers; false when liblber refuses it (the
// connection then reads as it did).
bool ReadAhead(Sockbuf* sb);

}  // namespace vorlix::directory
