#include "support/xlsx_sheet_reader.h"

#include <expat.h>
#include <unzip.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>

namespace vorlix::testing {

namespace {

constexpr char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr char kPackageRelationships[] =
    "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr char kRelationshipId[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships id";
constexpr char kOfficeDocument[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";

struct Closer {
  void operator()(void* archive) const { unzClose(archive); }
};
using Archive = std::unique_ptr<void, Closer>;

// The bytes of a part of the package; nullopt when it is missing or cannot be inflated.
std::optional<std::string> ReadPart(unzFile archive, const std::string& name) {
  if (unzLocateFile(archive, name.c_str(), 1) != UNZ_OK) return std::nullopt;
  if (unzOpenCurrentFile(archive) != UNZ_OK) return std::nullopt;
  std::string bytes;
  char chunk[16384];
  int got = 0;
  while ((got = unzReadCurrentFile(archive, chunk, sizeof chunk)) > 0) bytes.append(chunk, got);
  // A CRC mismatch shows up when the part is closed.
  if (unzCloseCurrentFile(archive) != UNZ_OK || got < 0) return std::nullopt;
  return bytes;
}

// An element's name as expat reports it with namespaces: "URI local", or "local" outside any.
struct XmlHandlers {
  std::function<void(const std::string& name, const std::map<std::string, std::string>& attributes)>
      start;
  std::function<void(const std::string& name)> end;
  std::function<void(const std::string& text)> text;
};

bool ParseXml(const std::string& document, XmlHandlers& handlers, std::string& error) {
  XML_Parser parser = XML_ParserCreateNS("UTF-8", ' ');
  XML_SetUserData(parser, &handlers);
  XML_SetElementHandler(
      parser,
      [](void* data, const XML_Char* name, const XML_Char** attributes) {
        auto& h = *static_cast<XmlHandlers*>(data);
        std::map<std::string, std::string> map;
        for (size_t i = 0; attributes[i] != nullptr; i += 2) map[attributes[i]] = attributes[i + 1];
        if (h.start) h.start(name, map);
      },
      [](void* data, const XML_Char* name) {
        auto& h = *static_cast<XmlHandlers*>(data);
        if (h.end) h.end(name);
      });
  XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* text, int length) {
    auto& h = *static_cast<XmlHandlers*>(data);
    if (h.text) h.text(std::string(text, static_cast<size_t>(length)));
  });
  const bool ok = XML_Parse(parser, document.data(), static_cast<int>(document.size()), XML_TRUE) ==
                  XML_STATUS_OK;
  if (!ok) {
    error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
            std::to_string(XML_GetCurrentLineNumber(parser));
  }
  XML_ParserFree(parser);
  return ok;
}

std::string Main(const char* local) {
  return std::string(kMain) + ' ' + local;
}

std::string Attribute(const std::map<std::string, std::string>& attributes,
                      const std::string& key) {
  const auto it = attributes.find(key);
  return it == attributes.end() ? std::string() : it->second;
}

// The part a relationship of `source` points at: targets are relative to the source's folder.
std::string Resolve(const std::string& source, const std::string& target) {
  if (!target.empty() && target.front() == '/') return target.substr(1);
  const size_t slash = source.rfind('/');
  return (slash == std::string::npos ? "" : source.substr(0, slash + 1)) + target;
}

// The relationships part of `source` ("" for the package): id -> target, and type -> target.
struct Relationships {
  std::map<std::string, std::string> byId;
  std::map<std::string, std::string> byType;
};
std::optional<Relationships> ReadRelationships(unzFile archive, const std::string& source,
                                               std::string& error) {
  const size_t slash = source.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : source.substr(0, slash + 1);
  const std::string file = slash == std::string::npos ? source : source.substr(slash + 1);
  const std::string name = folder + "_rels/" + file + ".rels";
  const std::optional<std::string> part = ReadPart(archive, name);
  if (!part) {
    error = "no part " + name;
    return std::nullopt;
  }
  Relationships relationships;
  XmlHandlers handlers;
  handlers.start = [&](const std::string& element, const auto& attributes) {
    if (element != std::string(kPackageRelationships) + " Relationship") return;
    const std::string target = Resolve(source, Attribute(attributes, "Target"));
    relationships.byId[Attribute(attributes, "Id")] = target;
    relationships.byType[Attribute(attributes, "Type")] = target;
  };
  if (!ParseXml(*part, handlers, error)) {
    error = name + ": " + error;
    return std::nullopt;
  }
  return relationships;
}

// A string item (<si> or <is>): its <t> texts, runs included, phonetic runs left out.
class StringItem {
 public:
  void Start(const std::string& element) {
    if (element == Main("rPh")) ++phonetic_;
    if (element == Main("t") && phonetic_ == 0) inText_ = true;
  }
  void End(const std::string& element) {
    if (element == Main("rPh")) --phonetic_;
    if (element == Main("t")) inText_ = false;
  }
  void Text(const std::string& text) {
    if (inText_) text_ += text;
  }
  // The text so far, escapes decoded, and a fresh start.
  std::string Take();

 private:
  int phonetic_ = 0;
  bool inText_ = false;
  std::string text_;
};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The code unit of an "_xHHHH_" escape at `at`, or -1.
long EscapeAt(const std::string& text, size_t at) {
  if (at + 7 > text.size() || text.compare(at, 2, "_x") != 0 || text[at + 6] != '_') return -1;
  long unit = 0;
  for (size_t i = at + 2; i < at + 6; ++i) {
    const char c = text[i];
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

// Decodes the escapes from left to right; a pair of escaped surrogates makes one character.
std::string DecodeEscapes(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const long unit = EscapeAt(text, i);
    if (unit < 0) {
      out += text[i++];
      continue;
    }
    i += 7;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      const long low = EscapeAt(text, i);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 7;
        continue;
      }
    }
    AppendUtf8(out, static_cast<char32_t>(unit));
  }
  return out;
}

std::string StringItem::Take() {
  std::string text = DecodeEscapes(text_);
  text_.clear();
  return text;
}

std::optional<std::vector<std::string>> ReadSharedStrings(unzFile archive, const std::string& name,
                                                          std::string& error) {
  std::vector<std::string> strings;
  if (name.empty()) return strings;
  const std::optional<std::string> part = ReadPart(archive, name);
  if (!part) {
    error = "no part " + name;
    return std::nullopt;
  }
  StringItem item;
  XmlHandlers handlers;
  handlers.start = [&](const std::string& element, const auto&) { item.Start(element); };
  handlers.end = [&](const std::string& element) {
    item.End(element);
    if (element == Main("si")) strings.push_back(item.Take());
  };
  handlers.text = [&](const std::string& text) { item.Text(text); };
  if (!ParseXml(*part, handlers, error)) {
    error = name + ": " + error;
    return std::nullopt;
  }
  return strings;
}

// Row and column (0-based) of a reference such as "AB12"; false when it is none.
bool CellPosition(const std::string& reference, size_t& row, size_t& column) {
  size_t i = 0;
  column = 0;
  while (i < reference.size() && reference[i] >= 'A' && reference[i] <= 'Z')
    column = column * 26 + static_cast<size_t>(reference[i++] - 'A' + 1);
  row = 0;
  const size_t digits = i;
  while (i < reference.size() && reference[i] >= '0' && reference[i] <= '9')
    row = row * 10 + static_cast<size_t>(reference[i++] - '0');
  if (column == 0 || row == 0 || digits == 0 || i == digits || i != reference.size()) return false;
  --row;
  --column;
  return true;
}

// The cells of the sheet part.
std::optional<XlsxCells> ReadCells(const std::string& sheet,
                                   const std::vector<std::string>& sharedStrings,
                                   std::string& error) {
  XlsxCells cells;
  std::string problem;
  std::string type, reference, value;
  bool inValue = false;
  StringItem inlineText;
  XmlHandlers handlers;
  handlers.start = [&](const std::string& element, const auto& attributes) {
    inlineText.Start(element);
    if (element == Main("c")) {
      type = Attribute(attributes, "t");
      reference = Attribute(attributes, "r");
      value.clear();
      inlineText.Take();
    } else if (element == Main("v")) {
      inValue = true;
    }
  };
  handlers.end = [&](const std::string& element) {
    inlineText.End(element);
    if (element == Main("v")) inValue = false;
    if (element != Main("c")) return;
    size_t row = 0, column = 0;
    if (!CellPosition(reference, row, column)) {
      if (problem.empty()) problem = "cell reference \"" + reference + "\"";
      return;
    }
    XlsxCell cell;
    if (type == "inlineStr") {
      cell = {XlsxCell::kText, inlineText.Take()};
    } else if (type == "s") {
      const size_t index = std::strtoul(value.c_str(), nullptr, 10);
      if (index >= sharedStrings.size()) {
        if (problem.empty()) problem = "shared string " + value + " of cell " + reference;
        return;
      }
      cell = {XlsxCell::kText, sharedStrings[index]};
    } else if (type == "str") {
      cell = {XlsxCell::kText, DecodeEscapes(value)};
    } else if (type == "b") {
      cell = {XlsxCell::kBoolean, value};
    } else if (type == "e") {
      cell = {XlsxCell::kError, value};
    } else if (!value.empty()) {
      cell = {XlsxCell::kNumber, value};
    }
    if (cells.size() <= row) cells.resize(row + 1);
    if (cells[row].size() <= column) cells[row].resize(column + 1);
    cells[row][column] = cell;
  };
  handlers.text = [&](const std::string& text) {
    inlineText.Text(text);
    if (inValue) value += text;
  };
  if (!ParseXml(sheet, handlers, error)) return std::nullopt;
  if (!problem.empty()) {
    error = "bad " + problem;
    return std::nullopt;
  }
  return cells;
}

}  // namespace

std::optional<XlsxCells> ReadXlsxSheet(const std::string& path, std::string& error) {
  const Archive archive(unzOpen64(path.c_str()));
  if (!archive) {
    error = path + ": not a zip archive";
    return std::nullopt;
  }
  unzFile zip = archive.get();
  const std::optional<Relationships> package = ReadRelationships(zip, "", error);
  if (!package) return std::nullopt;
  const auto workbookName = package->byType.find(kOfficeDocument);
  if (workbookName == package->byType.end()) {
    error = "the package names no workbook";
    return std::nullopt;
  }
  const std::optional<std::string> workbook = ReadPart(zip, workbookName->second);
  if (!workbook) {
    error = "no part " + workbookName->second;
    return std::nullopt;
  }
  std::string firstSheet;
  XmlHandlers handlers;
  handlers.start = [&](const std::string& element, const auto& attributes) {
    if (element == Main("sheet") && firstSheet.empty())
      firstSheet = Attribute(attributes, kRelationshipId);
  };
  if (!ParseXml(*workbook, handlers, error)) return std::nullopt;
  const std::optional<Relationships> parts = ReadRelationships(zip, workbookName->second, error);
  if (!parts) return std::nullopt;
  const auto sheetName = parts->byId.find(firstSheet);
  if (sheetName == parts->byId.end()) {
    error = "the workbook lists no sheet";
    return std::nullopt;
  }
  const auto stringsName = parts->byType.find(
      "http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings");
  const auto strings =
      ReadSharedStrings(zip, stringsName == parts->byType.end() ? "" : stringsName->second, error);
  if (!strings) return std::nullopt;
  const std::optional<std::string> sheet = ReadPart(zip, sheetName->second);
  if (!sheet) {
    error = "no part " + sheetName->second;
    return std::nullopt;
  }
  std::optional<XlsxCells> cells = ReadCells(*sheet, *strings, error);
  if (!cells) error = sheetName->second + ": " + error;
  return cells;
}

}  // namespace vorlix::testing
