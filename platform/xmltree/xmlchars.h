// Character-level rules of XML 1.0 over UTF-8 text, shared by the tree, the parser and the
// serialiser.
#pragma once

#include <string>
#include <string_view>

namespace xmltree {

// Why `name` is not an XML 1.0 name, or empty when it is one.
std::string NameProblem(std::string_view name);

// Raises E_INVALIDARG ("Invalid <subject> "<name>": ...") when `name` is not an XML 1.0 name.
void CheckName(std::string_view name, std::string_view subject);

// Why `text` cannot be XML character data (it is not valid UTF-8 or holds a character XML 1.0
// does not allow), or empty when it can.
std::string CharacterDataProblem(std::string_view text);

[[noreturn]] void RejectCharacterData(std::string_view subject, std::string_view problem);

// Raises E_INVALIDARG ("Invalid <subject>: ...") when `text` cannot be character data.
// `subject()` names what the text is; it is called only then.
template <class Subject>
void CheckCharacterData(std::string_view text, Subject&& subject) {
    if (std::string problem = CharacterDataProblem(text); !problem.empty())
        RejectCharacterData(subject(), problem);
}

// Whether XML 1.0 allows the code point in a document at all.
bool IsXmlChar(char32_t c);

// The four characters XML treats as white space.
bool IsXmlSpace(char c);

void AppendUtf8(std::string& out, char32_t c);

// "'x'" for printable ASCII, "U+XXXX" otherwise, for error messages.
std::string DescribeCodePoint(char32_t c);

}  // namespace xmltree
