#pragma once
// Turns fetched directory values into text: the text read's and the list read's rendering of
// every syntax, and the time stamp and network address renderers.

#include <cstdint>
#include <string>

#include "directory/directory_client.h"
#include "directory/name_list.h"

namespace vorlix::directory {

// The local date and time of signed seconds since 1970-01-01 00:00 UTC, as the locale's short
// date, a blank and its long time, with "-" between the date parts. The zone's offset is the one
// in force on the stamp's own date.
std::string FormatTimeStamp(int64_t seconds);

// A network address of the given type from its first length bytes (IPX, IP, UDP, TCP, URL; any
// other type in hexadecimal).
std::string FormatNetAddress(uint32_t addressType, size_t length, const std::string& bytes);

// How a value of a syntax acts on the running text R of the text read.
enum class TextEffect { kAppend, kReplace, kNone };

// Whether dsNextValue is called for a syntax in the text read / the list read.
bool FetchedInTextRead(int32_t syntax);
bool FetchedInListRead(int32_t syntax);

// The text read's piece of a fetched value and what it does to R.
TextEffect RenderForText(int32_t syntax, const FetchedValue& value, std::string& piece);

// The list read's entries for a fetched value (syntax 6 gives several), joined by separator
// where a value has parts. Throws DirectoryArgumentError for an address over 255 bytes.
void RenderForList(int32_t syntax, const FetchedValue& value, char separator, NameList& out);
// The same, taking the text of a text value instead of copying it.
void RenderForList(int32_t syntax, FetchedValue&& value, char separator, NameList& out);

}  // namespace vorlix::directory
