#pragma once
// The listing of a looked-up object: its head (captions, full name, description, member count)
// and its members' rows, read one at a time as they are asked for. The window's table, the CLI's
// table output and the exporters each consume the rows as they come, so that none of them needs
// the whole table in memory unless it keeps it.

#include <memory>
#include <string>
#include <vector>

#include "app/core/app_state.h"
#include "app/core/kinds.h"
#include "app/core/member_row.h"
#include "directory/directory_client.h"

namespace vorlix::core {

struct Listing {
  Kind kind = Kind::Group;
  ColumnCaptions captions;
  std::string objectName;   // the full name of the object whose members are listed
  std::string description;  // its "Description"
  size_t count = 0;         // its members
};

// The members and values a listing could not read: how many, and the first reason.
struct Unreadable {
  size_t count = 0;
  std::string first;
  void Note(const std::string& reason) {
    if (count++ == 0) first = reason;
  }
};

// The reads a row of `kind` makes, announced to the client before the member list of `object` is
// read (a client over a network keeps them in flight): the member's own values, then the phone of
// a user. The object's description is read with its members.
directory::ReadAheadPlan PlanOfRows(const AppState& state, const std::string& object, Kind kind);

class MemberListing {
 public:
  // Announces the rows' reads, then reads the member list and description of `object`; the head
  // carries `captions`. The
  // members come in the member table's order (by name, letter case aside), so a table that keeps
  // itself sorted takes each row at its end. Directory errors are thrown.
  MemberListing(const AppState& state, std::string object, Kind kind, ColumnCaptions captions);

  const Listing& Head() const { return head_; }

  // Fills `row` with the next member's row; false after the last. A member that does not exist,
  // or a value of it that cannot be read, does not end the listing: its cells hold
  // kUnreadableMarker and Unread() counts it. Errors of the connection or the server are thrown,
  // naming the member whose row was read.
  bool Next(MemberRow& row);
  // Rows read so far.
  size_t Listed() const { return next_; }
  const Unreadable& Unread() const { return unreadable_; }
  // The reads announced for the members not read yet are not wanted any more.
  void DropReadAhead();

 private:
  void FillRow(MemberRow& row);

  const AppState& state_;
  const KindDescriptor& descriptor_;
  const AttributeCell* userCell_;  // the descriptor's, looked up once
  int cellsFilled_;                // likewise
  Listing head_;
  std::vector<std::string> members_;
  size_t next_ = 0;
  Unreadable unreadable_;
};

}  // namespace vorlix::core
