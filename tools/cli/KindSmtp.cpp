// The kind "smtp": smtp.dat, the SMTP presets of the e-mail page. The file is an option
// text with sections, one section per preset:
//
//   [Gmail]
//   SMTPHost=smtp.gmail.com
//   SMTPPort=465
//   SMTPSSL=TRUE
//
// As JSON it is an array of {"name": section name, "options": {key: value, ...}}, both in
// file order. Values are the unescaped texts; section names and values are 8-bit texts in
// the file (Windows-1251) and UTF-8 in JSON.
#include "FileKinds.h"

#include "core/Error.h"
#include "core/FileStream.h"
#include "core/MultiOptions.h"
#include "core/OptionsList.h"
#include "core/Unicode.h"

#include <set>
#include <string>

namespace orlinda::cli {

namespace {

std::string ToCp1251(const std::string& utf8, const std::string& what)
{
    std::string bytes = Utf8ToCp1251(utf8);
    if (Cp1251ToUtf8(bytes) != utf8)
        throw Error(what + ": \"" + utf8 + "\" cannot be written in Windows-1251");
    return bytes;
}

bool HasLineBreak(const std::string& text)
{
    return text.find_first_of("\r\n") != std::string::npos;
}

// A value as the option text stores it: texts as they are, Booleans as TRUE/FALSE,
// integers in decimal.
std::string ValueText(const Json& value, const std::string& where)
{
    if (value.is_string())
        return value.get<std::string>();
    if (value.is_boolean())
        return value.get<bool>() ? "TRUE" : "FALSE";
    if (value.is_number_integer())
        return value.dump();
    throw Error(where + ": a value must be a text, a whole number or true/false");
}

DumpResult Dump(const std::string& fileName)
{
    TMultiOptions sections;
    sections.SetText(ReadWholeFile(fileName));
    DumpResult result;
    result.json = Json::array();
    for (int i = 0; i < sections.Count(); ++i) {
        const TOptionsList* section = sections.Get(i);
        Json options = Json::object();
        for (int line = 0; line < section->Count(); ++line) {
            const std::string name = section->Name(line);
            if (name.empty())
                continue;  // a line without "name=" carries no option
            options[Cp1251ToUtf8(name)] = Cp1251ToUtf8(section->GetValue(name));
        }
        Json preset = Json::object();
        preset["name"] = Cp1251ToUtf8(section->FSectionName);
        preset["options"] = std::move(options);
        result.json.push_back(std::move(preset));
    }
    return result;
}

std::string Build(const Json& json)
{
    if (!json.is_array())
        throw Error("the presets must be a JSON array");
    TMultiOptions sections;
    std::set<std::string> names;
    int index = 0;
    for (const auto& preset : json) {
        const std::string where = "preset " + std::to_string(index++);
        if (!preset.is_object())
            throw Error(where + ": not a JSON object");
        for (const auto& item : preset.items())
            if (item.key() != "name" && item.key() != "options")
                throw Error(where + ": unknown key \"" + item.key() + "\"");
        if (!preset.contains("name") || !preset.at("name").is_string())
            throw Error(where + ": key \"name\" must be a text");
        const std::string name = preset.at("name").get<std::string>();
        const std::string at = where + " \"" + name + "\"";
        if (name.empty() || HasLineBreak(name))
            throw Error(at + ": key \"name\" must be a non-empty text on one line");
        if (!names.insert(name).second)
            throw Error(at + ": a second preset of that name");
        TOptionsList* section = sections.FindOrAdd(ToCp1251(name, at));
        if (!preset.contains("options"))
            continue;
        if (!preset.at("options").is_object())
            throw Error(at + ": key \"options\" must be a JSON object");
        for (const auto& option : preset.at("options").items()) {
            const std::string& key = option.key();
            const std::string place = at + ", option \"" + key + "\"";
            if (key.empty() || key.find('=') != std::string::npos || HasLineBreak(key))
                throw Error(place + ": an option name must be non-empty, on one line and without '='");
            const std::string value = ValueText(option.value(), place);
            if (value.empty())
                throw Error(place + ": an empty value (leave the option out instead)");
            section->SetValue(ToCp1251(key, place), ToCp1251(value, place));
        }
    }
    return sections.Text();
}

const FileKindRegistrar registrar({"smtp", "smtp.dat: the SMTP presets of the e-mail settings", &Dump, &Build});

} // namespace

} // namespace orlinda::cli
