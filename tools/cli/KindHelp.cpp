// The kind "help": help.dat, the program's help pages and their images (model/HelpStore.h).
//
// As JSON it is an array of topics in file order:
//
//   {"ID": 1, "Name": "index", "Title": "Orlinda", "PageName": "index.htm",
//    "TreePath": "start", "Kind": 0, "text": "<html>..."}
//
// "text" carries contents that are UTF-8 text (pages, SVG images), "base64" any other
// bytes. For building, a topic may instead name a file with "file": its path, relative to
// the current folder, whose bytes become the contents; so the help's sources
// (data/help/contents.json beside the pages) are built with
//
//   cd data/help && orlinda-cli build --kind help contents.json OUT
//
// Missing keys take their empty values: ID the topic's position from 1, Name the page
// name, Kind 0. Title is a wide text; Name, PageName and TreePath are 8-bit texts
// (Windows-1251 in the file). The build lays the contents out after the records in topic
// order, so a dump of a file built here builds back the same bytes.
#include "FileKinds.h"

#include "core/Base64.h"
#include "core/Error.h"
#include "core/FileStream.h"
#include "core/Unicode.h"
#include "core/Windows1251.h"
#include "model/HelpStore.h"

#include <limits>
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

// Text that survives UTF-8 decoding and encoding unchanged and holds no NUL.
bool IsUtf8Text(const std::string& bytes)
{
    if (bytes.find('\0') != std::string::npos)
        return false;
    return Utf16ToUtf8(Utf8ToUtf16(bytes)) == bytes;
}

DumpResult Dump(const std::string& fileName)
{
    const THelpFileContents contents = ReadHelpFile(ReadWholeFile(fileName));
    DumpResult result;
    result.json = Json::array();
    for (const THelpTopic& topic : contents.topics) {
        Json t = Json::object();
        t["ID"] = topic.id;
        t["Name"] = Cp1251ToUtf8(topic.name);
        t["Title"] = Utf16ToUtf8(topic.title);
        t["PageName"] = Cp1251ToUtf8(topic.pageName);
        t["TreePath"] = Cp1251ToUtf8(topic.treePath);
        t["Kind"] = topic.kind;
        if (IsUtf8Text(topic.content))
            t["text"] = topic.content;
        else
            t["base64"] = Base64Encode(topic.content);
        result.json.push_back(std::move(t));
    }
    result.error = contents.error;
    return result;
}

std::string TextKey(const Json& topic, const char* key, const std::string& where)
{
    if (!topic.contains(key))
        return {};
    if (!topic.at(key).is_string())
        throw Error(where + ": key \"" + key + "\" must be a text");
    return topic.at(key).get<std::string>();
}

int32_t IntegerKey(const Json& topic, const char* key, int32_t fallback, const std::string& where)
{
    if (!topic.contains(key))
        return fallback;
    const Json& v = topic.at(key);
    if (!v.is_number_integer() || v.get<int64_t>() < std::numeric_limits<int32_t>::min() ||
        v.get<int64_t>() > std::numeric_limits<int32_t>::max())
        throw Error(where + ": key \"" + key + "\" must be a whole number of 32 bits");
    return static_cast<int32_t>(v.get<int64_t>());
}

std::string Build(const Json& json)
{
    if (!json.is_array())
        throw Error("the help topics must be a JSON array");
    static const std::set<std::string> known = {"ID", "Name", "Title", "PageName", "TreePath", "Kind",
                                                "text", "base64", "file"};
    std::vector<THelpTopic> topics;
    std::set<std::string> pages;
    int index = 0;
    for (const auto& t : json) {
        const std::string where = "topic " + std::to_string(index);
        ++index;
        if (!t.is_object())
            throw Error(where + ": not a JSON object");
        for (const auto& item : t.items())
            if (!known.count(item.key()))
                throw Error(where + ": unknown key \"" + item.key() + "\"");
        THelpTopic topic;
        const std::string pageName = TextKey(t, "PageName", where);
        const std::string at = pageName.empty() ? where : where + " \"" + pageName + "\"";
        topic.pageName = ToCp1251(pageName, at);
        topic.id = IntegerKey(t, "ID", index, at);
        topic.name = t.contains("Name") ? ToCp1251(TextKey(t, "Name", at), at) : topic.pageName;
        topic.title = Utf8ToUtf16(TextKey(t, "Title", at));
        topic.treePath = ToCp1251(TextKey(t, "TreePath", at), at);
        topic.kind = IntegerKey(t, "Kind", 0, at);
        if (!pageName.empty() && !pages.insert(HelpLowerCase(topic.pageName)).second)
            throw Error(at + ": a second topic with that page name");
        const int sources = int(t.contains("text")) + int(t.contains("base64")) + int(t.contains("file"));
        if (sources > 1)
            throw Error(at + ": give only one of \"text\", \"base64\" and \"file\"");
        if (t.contains("text")) {
            topic.content = TextKey(t, "text", at);
        } else if (t.contains("base64")) {
            topic.content = Base64Decode(TextKey(t, "base64", at));
        } else if (t.contains("file")) {
            const std::string file = TextKey(t, "file", at);
            try {
                topic.content = ReadWholeFile(file);
            } catch (const Error& e) {
                throw Error(at + ": " + e.what());
            }
        }
        topics.push_back(std::move(topic));
    }
    return BuildHelpFile(topics);
}

const FileKindRegistrar registrar({"help", "help.dat: the help pages and their images", &Dump, &Build});

} // namespace

} // namespace orlinda::cli
