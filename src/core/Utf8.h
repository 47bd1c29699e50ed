#pragma once
#include <string>

namespace orlinda {

// The UTF-8 form of wide texts stored in option values and data files: every UTF-16
// code unit is encoded on its own as 1, 2 or 3 bytes; surrogate halves are not
// combined but written one by one as 3-byte sequences.
std::string Utf8EncodeWide(const std::u16string& text);

// Decodes that form. When any continuation byte is wrong or a sequence is cut off at
// the end, the whole input is read as Windows-1251 text instead. A well-formed 4-byte
// sequence (from outside UTF-8) is decoded to its surrogate pair.
std::u16string Utf8DecodeWide(const std::string& text);

} // namespace orlinda
