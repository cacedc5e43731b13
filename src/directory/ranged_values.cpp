#include "directory/ranged_values.h"

#include <charconv>

#include "platform/plain_text.h"

namespace vorlix::directory {

namespace {

std::optional<uint32_t> Index(std::string_view text) {
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// "first-last" or "first-*".
std::optional<ValueRange> ParseRange(std::string_view text) {
  const size_t dash = text.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const std::optional<uint32_t> first = Index(text.substr(0, dash));
  if (!first) return std::nullopt;
  const std::string_view rest = text.substr(dash + 1);
  if (rest == "*") return ValueRange{*first, std::nullopt};
  const std::optional<uint32_t> last = Index(rest);
  if (!last || *last < *first) return std::nullopt;
  return ValueRange{*first, last};
}

std::string Described(const LdapEntry& entry, const LdapAttribute& attribute) {
  return attribute.name + " of " + entry.dn;
}

// Joins the parts of one ranged attribute of entry until the part that ends in "*".
RangeOutcome CompleteAttribute(const LdapEntry& entry, LdapAttribute& attribute,
                               const RangeFetch& fetch, std::string& why) {
  if (attribute.range->first != 0) {
    why = "The server sent the values of " + Described(entry, attribute) + " from " +
          std::to_string(attribute.range->first) + " on, not from the first";
    return RangeOutcome::kBrokenAnswer;
  }
  while (attribute.range && attribute.range->last) {
    const uint32_t next = *attribute.range->last + 1;
    LdapEntry reply;
    if (!fetch(entry.dn, RangeRequest(attribute.name, next), reply)) {
      return RangeOutcome::kFetchFailed;
    }
    const LdapAttribute* part = reply.Find(attribute.key);
    const std::string asked =
        "; asked for the values from " + std::to_string(next) + " on, the server ";
    if (part == nullptr) {
      why = "The values of " + Described(entry, attribute) + " end after " + std::to_string(next) +
            asked + "sent none";
      return RangeOutcome::kBrokenAnswer;
    }
    if (!part->range) {  // the whole attribute after all
      attribute.values = part->values;
      attribute.range.reset();
      break;
    }
    if (part->range->first != next || (part->range->last && part->values.empty())) {
      why = "The values of " + Described(entry, attribute) + " do not join up" + asked + "sent " +
            std::to_string(part->values.size()) + " values from " +
            std::to_string(part->range->first) + " on";
      return RangeOutcome::kBrokenAnswer;
    }
    attribute.values.insert(attribute.values.end(), part->values.begin(), part->values.end());
    attribute.range = part->range;
    if (attribute.values.size() > kMaxRangedValues) {
      why = "The server sends more than " + std::to_string(kMaxRangedValues) + " values of " +
            Described(entry, attribute) + ", more than can be listed";
      return RangeOutcome::kBrokenAnswer;
    }
  }
  attribute.range.reset();
  return RangeOutcome::kComplete;
}

}  // namespace

std::optional<ValueRange> RangeOption(std::string_view description) {
  constexpr std::string_view kRange = "range=";
  size_t at = description.find(';');
  while (at != std::string_view::npos) {
    const size_t end = description.find(';', at + 1);
    const std::string_view option =
        description.substr(at + 1, end == std::string_view::npos ? end : end - at - 1);
    if (option.size() > kRange.size() &&
        platform::EqualNoCase(option.substr(0, kRange.size()), kRange)) {
      return ParseRange(option.substr(kRange.size()));
    }
    at = end;
  }
  return std::nullopt;
}

std::string RangeRequest(const std::string& name, uint32_t first) {
  return name + ";range=" + std::to_string(first) + "-*";
}

RangeOutcome CompleteRangedValues(std::vector<LdapEntry>& entries, const RangeFetch& fetch,
                                  std::string& why) {
  for (LdapEntry& entry : entries) {
    for (LdapAttribute& attribute : entry.attributes) {
      if (!attribute.range) continue;
      if (const RangeOutcome outcome = CompleteAttribute(entry, attribute, fetch, why);
          outcome != RangeOutcome::kComplete) {
        return outcome;
      }
    }
  }
  return RangeOutcome::kComplete;
}

}  // namespace vorlix::directory
