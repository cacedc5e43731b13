#include "platform/file_metadata.h"

#include <acl/libacl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/acl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace vorlix::platform {

namespace {

constexpr mode_t kGroupBits = S_IRWXG;
constexpr mode_t kOwnerBits = S_IRWXU;
constexpr mode_t kAllModeBits = 07777;
// The access control lists are carried by libacl; these are their extended attributes.
constexpr std::string_view kAclAttributes = "system.posix_acl_";

std::string Reason(int error) {
  return std::strerror(error);
}

// The name of a user or group id in quotes, or the number when the system knows no name.
template <typename Id, typename Entry>
std::string NameOf(Id id, int (*lookup)(Id, Entry*, char*, size_t, Entry**), char* Entry::*name) {
  std::vector<char> buffer(16384);
  Entry entry{};
  Entry* found = nullptr;
  if (lookup(id, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
    return "\"" + std::string(found->*name) + "\"";
  return std::to_string(id);
}

std::string UserName(uid_t uid) {
  return NameOf(uid, ::getpwuid_r, &passwd::pw_name);
}

std::string GroupName(gid_t gid) {
  return NameOf(gid, ::getgrgid_r, &group::gr_name);
}

// Frees an ACL of libacl on every path.
class Acl {
 public:
  explicit Acl(acl_t acl) : acl_(acl) {}
  ~Acl() {
    if (acl_ != nullptr) acl_free(acl_);
  }
  Acl(const Acl&) = delete;
  Acl& operator=(const Acl&) = delete;
  acl_t get() const { return acl_; }

 private:
  acl_t acl_;
};

// Takes every permission from the owning group's entry: the group of the new file is not the
// one the list was written for.
void RevokeOwningGroup(acl_t acl) {
  acl_entry_t entry;
  for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1;
       which = ACL_NEXT_ENTRY) {
    acl_tag_t tag;
    acl_permset_t permissions;
    if (acl_get_tag_type(entry, &tag) != 0 || tag != ACL_GROUP_OBJ) continue;
    if (acl_get_permset(entry, &permissions) == 0) {
      acl_clear_perms(permissions);
      acl_set_permset(entry, permissions);
    }
  }
}

// The list of `from` on `to`, also when it only mirrors the permission bits: that one replaces
// what the folder's default list gave the new file. False with errno set when it cannot be.
bool CopyAcl(int from, int to, bool groupLost) {
  Acl acl(acl_get_fd(from));
  if (acl.get() == nullptr) {
    // A file system without lists: the permission bits say everything.
    return errno == ENOTSUP;
  }
  if (groupLost) RevokeOwningGroup(acl.get());
  return acl_set_fd(to, acl.get()) == 0;
}

// The names of the extended attributes of fd, each ended by a NUL; empty when it has none or
// the file system keeps none.
std::string AttributeNames(int fd) {
  for (;;) {
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size <= 0) return {};
    std::string names(static_cast<size_t>(size), '\0');
    const ssize_t got = ::flistxattr(fd, names.data(), names.size());
    if (got >= 0) {
      names.resize(static_cast<size_t>(got));
      return names;
    }
    if (errno != ERANGE) return {};  // ERANGE: it grew meanwhile; asked again
  }
}

// Copies one extended attribute; 0 or the errno of the failure.
int CopyAttribute(int from, int to, const char* name) {
  for (;;) {
    const ssize_t size = ::fgetxattr(from, name, nullptr, 0);
    if (size < 0) return errno;
    std::string value(static_cast<size_t>(size), '\0');
    const ssize_t got = ::fgetxattr(from, name, value.data(), value.size());
    if (got < 0) {
      if (errno == ERANGE) continue;
      return errno;
    }
    return ::fsetxattr(to, name, value.data(), static_cast<size_t>(got), 0) == 0 ? 0 : errno;
  }
}

}  // namespace

std::vector<std::string> CopyFileMetadata(int from, const struct stat& fromStatus, int to) {
  std::vector<std::string> warnings;
  struct stat now {};
  ::fstat(to, &now);
  // Owner and group one at a time: changing the owner needs privileges that changing to one's
  // own group does not. Both before the mode, as a change of owner clears the set-id bits.
  if (now.st_uid != fromStatus.st_uid && ::fchown(to, fromStatus.st_uid, -1) != 0) {
    const std::string reason = Reason(errno);
    warnings.push_back("its owner " + UserName(fromStatus.st_uid) + " could not be kept (" +
                       reason + "); the new file belongs to " + UserName(now.st_uid));
  }
  bool groupLost = false;
  if (now.st_gid != fromStatus.st_gid && ::fchown(to, -1, fromStatus.st_gid) != 0) {
    const std::string reason = Reason(errno);
    groupLost = true;
    warnings.push_back("its group " + GroupName(fromStatus.st_gid) + " could not be kept (" +
                       reason + "); the group " + GroupName(now.st_gid) + " gets no access");
  }
  mode_t mode = fromStatus.st_mode & kAllModeBits;
  if (groupLost) mode &= ~(kGroupBits | S_ISGID);
  ::fchmod(to, mode);
  if (!CopyAcl(from, to, groupLost)) {
    warnings.push_back("its access control list could not be kept (" + Reason(errno) +
                       "); only the owner may use the new file");
    ::fchmod(to, mode & kOwnerBits);
  }
  const std::string names = AttributeNames(from);
  for (size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1) {
    const char* name = names.c_str() + at;
    if (std::string_view(name).starts_with(kAclAttributes)) continue;
    if (const int error = CopyAttribute(from, to, name); error != 0)
      warnings.push_back("its extended attribute \"" + std::string(name) +
                         "\" could not be kept (" + Reason(error) + ")");
  }
  return warnings;
}

}  // namespace vorlix::platform
