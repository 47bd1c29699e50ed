#pragma once
#include "core/OptionsList.h"

#include <string>

namespace orlinda {

// The text with every placeholder "{{Name}}" replaced by the value of Name in values
// (case-insensitive; no value gives an empty text). A placeholder may carry a nested
// one written with "|{" and "}|": "{{|{Days}| left}}" gives the value of Days and " left".
// A "{{" without a later "}}" is left as it stands, with the rest of the text.
std::string ExpandTemplate(const std::string& text, const TOptionsList& values);

} // namespace orlinda
