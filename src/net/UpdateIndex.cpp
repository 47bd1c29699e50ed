#include "net/UpdateIndex.h"

#include "core/ExpandTemplate.h"
#include "core/TextUtils.h"
#include "core/ValueEscaping.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace orlinda {

namespace {

std::string Trimmed(const std::string& text)
{
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// Separators as "/" and runs of them as one; the "//" after a scheme stays.
std::string NormalizeSeparators(std::string text)
{
    for (char& c : text)
        if (c == '\\')
            c = '/';
    size_t keep = 0;
    size_t scheme = text.find("://");
    if (scheme != std::string::npos) {
        bool isScheme = scheme > 0;
        for (size_t i = 0; i < scheme && isScheme; ++i)
            isScheme = std::isalpha(static_cast<unsigned char>(text[i])) || text[i] == '+' || text[i] == '-' ||
                       text[i] == '.';
        if (isScheme)
            keep = scheme + 3;
    }
    std::string out = text.substr(0, keep);
    for (size_t i = keep; i < text.size(); ++i) {
        if (text[i] == '/' && !out.empty() && out.back() == '/' && out.size() > keep)
            continue;
        out += text[i];
    }
    return out;
}

bool HasParentSegment(const std::string& path)
{
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (path.compare(start, end - start, "..") == 0 && end - start == 2)
            return true;
        start = end + 1;
    }
    return false;
}

const char* const CodeTexts[] = {
    "Cannot delete index file",        // 3101
    "Cannot load index file",          // 3102
    "Cannot save index file",          // 3103
    "Cannot create folder %s",         // 3104
    "Cannot create file %s",           // 3105
    "Cannot delete file %s",           // 3106
    "Cannot rename file %s",           // 3107
    "Cannot open file %s",             // 3108
    "Error writing to file %s",        // 3109
    "Error reading from file %s",      // 3110
    "Incorrect filesize field format", // 3111
    "Incorrect CRC field format",      // 3112
    "CRC mismatch",                    // 3113
    "Decompession error",              // 3114
    "Cannot copy file %s",             // 3115
    "There`s nothing to update",       // 3116
};

} // namespace

std::string UpdaterCodeText(int code)
{
    if (code < UpdaterCode::CannotDeleteIndex || code > UpdaterCode::NothingToUpdate)
        return std::string();
    return CodeTexts[code - UpdaterCode::CannotDeleteIndex];
}

std::string UpdateBaseAddress(const TOptionsList* settings)
{
    std::string address;
    if (const char* v = std::getenv(UpdateAddressVariable))
        address = Trimmed(v);
    if (address.empty() && settings)
        address = Trimmed(settings->GetValue(UpdateAddressSetting));
    if (address.empty())
        address = DefaultUpdateAddress;
    if (address.back() != '/')
        address += '/';
    return address;
}

bool IsUpdateSection(const TOptionsList& section)
{
    return section.FSectionName.find("Section_") != std::string::npos;
}

bool IsFileKey(const std::string& name)
{
    return StartsWith(name, "File_");
}

int FileEntryCount(const TOptionsList& section)
{
    int n = 0;
    for (int i = 0; i < section.Count(); ++i)
        if (IsFileKey(section.Name(i)))
            ++n;
    return n;
}

bool SectionOptional(const TOptionsList& section)
{
    return section.GetBool("Optional");
}

bool SectionChecked(const TOptionsList& section)
{
    return section.GetBool("Checked");
}

bool SectionCompressed(const TOptionsList& section)
{
    std::string v = section.GetValue("Compression");
    return !v.empty() && !SameName(v, "None");
}

bool SectionNeedsRestart(const TOptionsList& section)
{
    std::string v = section.GetValue("RestartMode");
    return !v.empty() && !SameName(v, "Not Necessary");
}

bool SectionOnlyIfMissing(const TOptionsList& section)
{
    return SameName(section.GetValue("RewriteMode"), "If Not Exists");
}

namespace {
std::string LocalizedValue(const TOptionsList& section, const std::string& key, const std::string& language)
{
    if (!language.empty()) {
        std::string v = section.GetValue(key + "_" + language);
        if (!v.empty())
            return v;
    }
    return section.GetValue(key);
}
} // namespace

std::string SectionDescription(const TOptionsList& section, const std::string& language)
{
    return LocalizedValue(section, "Description", language);
}

std::string SectionChanges(const TOptionsList& section, const std::string& language)
{
    return LocalizedValue(section, "Changes", language);
}

bool ParseSizeField(const std::string& text, int64_t& size)
{
    std::string t = Trimmed(text);
    if (t.empty() || !std::isdigit(static_cast<unsigned char>(t[0])))
        return false;
    int64_t v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size())
        return false;
    size = v;
    return true;
}

bool ParseCrcField(const std::string& text, uint32_t& crc)
{
    std::string t = Trimmed(text);
    if (t.empty())
        return false;
    int64_t v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || v < INT32_MIN || v > UINT32_MAX)
        return false;
    crc = static_cast<uint32_t>(v);
    return true;
}

int ParseFileEntry(const std::string& value, bool compressed, TUpdateFileEntry& entry)
{
    if (!ParseSizeField(GetField(value, 0, '|'), entry.Size))
        return UpdaterCode::BadSizeField;
    if (!ParseCrcField(GetField(value, 1, '|'), entry.Crc))
        return UpdaterCode::BadCrcField;
    if (compressed) {
        if (!ParseSizeField(GetField(value, 2, '|'), entry.StoredSize))
            return UpdaterCode::BadSizeField;
        if (!ParseCrcField(GetField(value, 3, '|'), entry.StoredCrc))
            return UpdaterCode::BadCrcField;
    } else {
        entry.StoredSize = entry.Size;
        entry.StoredCrc = entry.Crc;
    }
    entry.FileName = GetField(value, 4, '|');
    return 0;
}

int StoredSizeAndCrc(const TOptionsList& section, const std::string& value, int64_t& size, uint32_t& crc)
{
    const bool compressed = SectionCompressed(section);
    if (!ParseSizeField(GetField(value, compressed ? 2 : 0, '|'), size))
        return UpdaterCode::BadSizeField;
    if (!ParseCrcField(GetField(value, compressed ? 3 : 1, '|'), crc))
        return UpdaterCode::BadCrcField;
    return 0;
}

bool IsSafeFileName(const std::string& name)
{
    if (name.empty() || name.find('\0') != std::string::npos)
        return false;
    std::string n = NativeFileName(name);
    if (n.front() == '/' || n.back() == '/')
        return false;
    if (n.size() >= 2 && std::isalpha(static_cast<unsigned char>(n[0])) && n[1] == ':')
        return false;
    return !HasParentSegment(n);
}

std::string NativeFileName(const std::string& name)
{
    std::string n = name;
    for (char& c : n)
        if (c == '\\')
            c = '/';
    return n;
}

std::string EncodeAddressName(const std::string& name)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(name.size());
    for (char ch : name) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += '/';
        } else if (c < 33 || c > 127 || c == '%' || c == '#' || c == '?') {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string TUpdateFolders::SectionFolder(const TOptionsList& section, Kind kind) const
{
    TOptionsList values;
    switch (kind) {
    case Kind::Installed:
        values.SetValue("AppDir", AppDir);
        values.SetValue("CommonDir", CommonDir);
        values.SetValue("UserDir", UserDir);
        break;
    case Kind::Staging:
        values.SetValue("AppDir", StagingFolder + "appdir/");
        values.SetValue("CommonDir", StagingFolder + "commondir/");
        values.SetValue("UserDir", StagingFolder + "userdir/");
        break;
    case Kind::Download:
        values.SetValue("AppDir", BaseAddress + "appdir/");
        values.SetValue("CommonDir", BaseAddress + "commondir/");
        values.SetValue("UserDir", BaseAddress + "userdir/");
        break;
    }
    std::string folder = NormalizeSeparators(ExpandTemplate(section.GetValue("Path"), values));
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

bool TUpdateFolders::SafeSectionFolder(const TOptionsList& section) const
{
    std::string folder = SectionFolder(section, Kind::Installed);
    if (folder.empty() || folder.front() != '/' || HasParentSegment(folder))
        return false;
    for (const std::string* root : {&AppDir, &CommonDir, &UserDir}) {
        std::string r = NormalizeSeparators(*root);
        if (!r.empty() && r.back() != '/')
            r += '/';
        if (r.size() > 1 && r.front() == '/' && !HasParentSegment(r) && StartsWith(folder, r))
            return true;
    }
    return false;
}

std::string TUpdateFolders::InstalledFile(const TOptionsList& section, const std::string& fileName) const
{
    return NormalizeSeparators(SectionFolder(section, Kind::Installed) + NativeFileName(fileName));
}

std::string TUpdateFolders::StagedFile(const TOptionsList& section, const std::string& fileName) const
{
    return NormalizeSeparators(SectionFolder(section, Kind::Staging) + NativeFileName(fileName));
}

std::string TUpdateFolders::FileAddress(const TOptionsList& section, const std::string& fileName) const
{
    std::string name = EncodeAddressName(fileName);
    size_t skip = 0;
    while (skip < name.size() && name[skip] == '/')
        ++skip;
    return SectionFolder(section, Kind::Download) + name.substr(skip);
}

int CheckIndex(const TMultiOptions& index, const TUpdateFolders& folders, std::string& what)
{
    for (int s = 0; s < index.Count(); ++s) {
        const TOptionsList* section = index.Get(s);
        if (!section || !IsUpdateSection(*section) || FileEntryCount(*section) == 0)
            continue;
        if (!folders.SafeSectionFolder(*section)) {
            what = folders.SectionFolder(*section, TUpdateFolders::Kind::Installed);
            if (what.empty())
                what = section->GetValue("Path");
            return UpdaterCode::CannotCreateFolder;
        }
        for (int i = 0; i < section->Count(); ++i) {
            if (!IsFileKey(section->Name(i)))
                continue;
            std::string name = GetField(UnescapeValue(section->Value(i)), 4, '|');
            if (!IsSafeFileName(name)) {
                what = name;
                return UpdaterCode::CannotCreateFile;
            }
        }
    }
    return 0;
}

void CopyIndex(const TMultiOptions& source, TMultiOptions& target)
{
    if (&source == &target)
        return;
    target.SetText(source.Text());
}

} // namespace orlinda
