// The schema names of an LDAP server: attribute type and object class definitions as a server
// publishes them (RFC 4512), with the X-NDS_NAME that maps the program's names. The input is
// two parts, cut at its first NUL byte:
// - definitions as they come, one a line (an odd first byte makes it an object class); whatever
//   they hold, every name maps to a lower-case key and every syntax lookup ends;
// - a recipe for one well-formed definition of each kind, written as a server writes it and read
//   after the others: the program name then maps to the first of its names, every name is known
//   as that first one, and the syntax is the one its OID gives.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "directory/schema_names.h"
#include "fuzz_support.h"

namespace {

using vorlix::directory::SchemaNames;
using vorlix::fuzz::Fail;

bool LowerCaseOnly(const std::string& key) {
  for (char c : key) {
    if (c >= 'A' && c <= 'Z') return false;
  }
  return true;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Reads the recipe's bytes one at a time; 0 once they are used up.
class Recipe {
 public:
  Recipe(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }

  // A keystring (RFC 4512): a letter, then letters, digits and hyphens.
  std::string Keystring() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static const char kRest[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-";
    std::string name(1, kLetters[Next() % 52]);
    for (int n = Next() % 12; n > 0; --n) name += kRest[Next() % 63];
    return name;
  }
  // A quoted string's content: printable characters but the quote and the backslash.
  std::string Text() {
    std::string text;
    for (int n = 1 + Next() % 24; n > 0; --n) {
      char c = static_cast<char>(' ' + Next() % 95);
      if (c == '\'' || c == '\\') c = ':';
      text += c;
    }
    return text;
  }
  // A syntax OID: a standard one, a directory's own one with its number as the last arc, or one
  // of neither; sometimes with a length bound.
  std::string SyntaxOid() {
    static const char* const kPrefixes[] = {"1.3.6.1.4.1.1466.115.121.1.",
                                            "2.16.840.1.113719.1.1.5.1.", "1.2.840.113556.1.4."};
    std::string oid = kPrefixes[Next() % 3] + std::to_string(Next() % 64);
    if (Next() % 4 == 0) oid += "{" + std::to_string(Next()) + "}";
    return oid;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

struct Made {
  std::vector<std::string> names;
  std::string programName;
  std::string syntaxOid;
  std::string text;
};

// One definition, in the order RFC 4512 gives its fields, X-NDS_NAME as the extension last.
Made MakeDefinition(Recipe& recipe, bool objectClass) {
  Made made;
  for (int n = 1 + recipe.Next() % 3; n > 0; --n) made.names.push_back(recipe.Keystring());
  made.programName = recipe.Text();
  made.text = "( 2.16.840.1." + std::to_string(recipe.Next()) + " NAME ";
  if (made.names.size() == 1) {
    made.text += "'" + made.names[0] + "'";
  } else {
    made.text += "(";
    for (const std::string& name : made.names) made.text += " '" + name + "'";
    made.text += " )";
  }
  if (recipe.Next() % 2 == 0) made.text += " DESC '" + recipe.Text() + "'";
  if (objectClass) {
    made.text += " SUP top STRUCTURAL MUST cn";
  } else {
    made.syntaxOid = recipe.SyntaxOid();
    made.text += " SYNTAX " + made.syntaxOid;
    if (recipe.Next() % 2 == 0) made.text += " SINGLE-VALUE";
  }
  made.text += " X-NDS_NAME '" + made.programName + "' )";
  return made;
}

std::string WithoutBound(const std::string& oid) {
  return oid.substr(0, oid.find('{'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\0');
  const std::string raw = input.substr(0, cut);
  SchemaNames schema;
  std::vector<std::string> words;
  size_t start = 0;
  while (start < raw.size()) {
    size_t end = raw.find('\n', start);
    if (end == std::string::npos) end = raw.size();
    const std::string line = raw.substr(start, end - start);
    if (!line.empty() && (line[0] & 1) != 0) {
      schema.AddObjectClass(line);
    } else {
      schema.AddAttributeType(line);
    }
    words.push_back(line.substr(0, 40));
    start = end + 1;
  }
  for (const std::string& word : words) {
    if (!LowerCaseOnly(schema.AttributeKey(word)) || !LowerCaseOnly(schema.ClassKey(word)) ||
        !LowerCaseOnly(schema.CanonicalKey(word))) {
      Fail("a name maps to a key that is not lower case: " + word);
    }
    schema.SyntaxOf(Lower(word));
  }
  if (cut == std::string::npos) return 0;

  Recipe recipe(data + cut + 1, size - cut - 1);
  const Made type = MakeDefinition(recipe, false);
  schema.AddAttributeType(type.text);
  const std::string key = Lower(type.names.front());
  if (schema.AttributeKey(type.programName) != key)
    Fail("the program name of an attribute type does not map to its first name: " + type.text);
  const int32_t syntax = SchemaNames::SyntaxFromOid(WithoutBound(type.syntaxOid));
  for (const std::string& name : type.names) {
    if (schema.CanonicalKey(name) != key) Fail("a name is not known as the first: " + type.text);
    if (syntax >= 0 && schema.SyntaxOf(Lower(name)) != syntax)
      Fail("an attribute type does not have the syntax of its OID: " + type.text);
  }

  const Made cls = MakeDefinition(recipe, true);
  schema.AddObjectClass(cls.text);
  if (schema.ClassKey(cls.programName) != Lower(cls.names.front()))
    Fail("the program name of a class does not map to its first name: " + cls.text);
  if (schema.ProgramClassName(cls.names.front()) != cls.programName)
    Fail("a class does not give back its program name: " + cls.text);
  return 0;
}
