#include "core/OptionsList.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/FileStream.h"
#include "core/Random.h"
#include "core/ValueEscaping.h"

#include <array>
#include <atomic>
#include <charconv>
#include <mutex>

namespace orlinda {

namespace {

// Upper-case table of Windows-1251: ASCII and Cyrillic letters.
constexpr std::array<unsigned char, 256> MakeUpperTable()
{
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<unsigned char>(i);
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] = static_cast<unsigned char>(c - 32);
    for (int c = 0xE0; c <= 0xFF; ++c) // а..я
        t[c] = static_cast<unsigned char>(c - 32);
    t[0xB8] = 0xA8; // ё
    t[0x90] = 0x80; // ђ
    t[0x83] = 0x81; // ѓ
    t[0x9A] = 0x8A; // љ
    t[0x9C] = 0x8C; // њ
    t[0x9D] = 0x8D; // ќ
    t[0x9E] = 0x8E; // ћ
    t[0x9F] = 0x8F; // џ
    t[0xA2] = 0xA1; // ў
    t[0xBC] = 0xA3; // ј
    t[0xB4] = 0xA5; // ґ
    t[0xBA] = 0xAA; // є
    t[0xBF] = 0xAF; // ї
    t[0xB3] = 0xB2; // і
    t[0xBE] = 0xBD; // ѕ
    return t;
}
constexpr std::array<unsigned char, 256> upperTable = MakeUpperTable();

std::string_view NameOf(const std::string& line, bool& hasName)
{
    auto eq = line.find('=');
    hasName = eq != std::string::npos;
    return hasName ? std::string_view(line).substr(0, eq) : std::string_view();
}

std::atomic<uint64_t> sectionCounter{0};

} // namespace

unsigned char FoldNameChar(unsigned char c)
{
    return upperTable[c];
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (upperTable[static_cast<unsigned char>(a[i])] != upperTable[static_cast<unsigned char>(b[i])])
            return false;
    return true;
}

std::string NewSectionName()
{
    // Seeded from the clock once: reseeding for every list would cost more than the
    // whole list and make lists made within one clock tick share their number.
    static std::once_flag seeded;
    std::call_once(seeded, [] { Randomize(); });
    // The counter runs 1, 2, ..., 99, 0, 1, ... from process start.
    const auto counter = static_cast<int>((sectionCounter.fetch_add(1) + 1) % 100);
    return std::to_string(RandomInt(999999)) + "6-" + std::to_string(counter) + "2";
}

namespace {
uint32_t HashName(std::string_view name)
{
    // FNV-1a over the folded bytes.
    uint32_t h = 2166136261u;
    for (char c : name) {
        h ^= upperTable[static_cast<unsigned char>(c)];
        h *= 16777619u;
    }
    return h;
}
} // namespace

TOptionsList::TOptionsList() : FSectionName(NewSectionName()) {}

TOptionsList::TOptionsList(const TOptionsList& other)
    : TPersistObj(), FSectionName(other.FSectionName), FSectionIndex(other.FSectionIndex), lines_(other.lines_)
{
}

TOptionsList& TOptionsList::operator=(const TOptionsList& other)
{
    Assign(other);
    return *this;
}

void TOptionsList::Changed()
{
    if (OnChange)
        OnChange();
}

size_t TOptionsList::FindSlot(std::string_view name, uint32_t hash) const
{
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.line < 0)
            return i;
        if (slot.hash == hash && slot.nameLength == name.size() &&
            SameName(std::string_view(lines_[static_cast<size_t>(slot.line)]).substr(0, slot.nameLength), name))
            return i;
    }
}

void TOptionsList::GrowIndex() const
{
    std::vector<Slot> old(slots_.size() < 16 ? 32 : slots_.size() * 2);
    old.swap(slots_);
    const size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.line < 0)
            continue;
        size_t i = slot.hash & mask;
        while (slots_[i].line >= 0)
            i = (i + 1) & mask;
        slots_[i] = slot;
    }
}

void TOptionsList::IndexLine(int index) const
{
    bool hasName;
    auto name = NameOf(lines_[static_cast<size_t>(index)], hasName);
    if (!hasName)
        return;
    if ((used_ + 1) * 2 > slots_.size())
        GrowIndex();
    const uint32_t hash = HashName(name);
    Slot& slot = slots_[FindSlot(name, hash)];
    if (slot.line < 0)
        ++used_;
    slot = Slot{hash, index, static_cast<uint32_t>(name.size())}; // the last of several lines wins
}

void TOptionsList::EnsureIndex() const
{
    if (indexValid_)
        return;
    slots_.clear();
    used_ = 0;
    for (int i = 0; i < Count(); ++i)
        IndexLine(i);
    indexValid_ = true;
}

void TOptionsList::Add(const std::string& line)
{
    lines_.push_back(line);
    if (indexValid_)
        IndexLine(Count() - 1);
    Changed();
}

const std::string& TOptionsList::Line(int index) const
{
    static const std::string empty;
    if (index < 0 || index >= Count())
        return empty;
    return lines_[static_cast<size_t>(index)];
}

void TOptionsList::SetLine(int index, const std::string& line)
{
    if (index < 0 || index >= Count())
        return;
    lines_[static_cast<size_t>(index)] = line;
    indexValid_ = false;
    Changed();
}

std::string TOptionsList::Name(int index) const
{
    bool hasName;
    return std::string(NameOf(Line(index), hasName));
}

std::string TOptionsList::Value(int index) const
{
    const std::string& line = Line(index);
    auto eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

void TOptionsList::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    lines_.erase(lines_.begin() + index);
    indexValid_ = false;
    Changed();
}

void TOptionsList::Clear()
{
    if (lines_.empty())
        return;
    lines_.clear();
    indexValid_ = false;
    Changed();
}

int TOptionsList::IndexOfName(std::string_view name) const
{
    EnsureIndex();
    if (slots_.empty())
        return -1;
    return slots_[FindSlot(name, HashName(name))].line;
}

std::string TOptionsList::Text() const
{
    size_t total = 0;
    for (const auto& line : lines_)
        total += line.size() + 2;
    std::string text;
    text.reserve(total);
    for (const auto& line : lines_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void TOptionsList::SetText(std::string_view text)
{
    lines_.clear();
    size_t start = 0;
    const size_t n = text.size();
    while (start < n) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines_.emplace_back(text.substr(start));
            break;
        }
        lines_.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < n && text[start] == '\n')
            ++start;
    }
    indexValid_ = false;
    Changed();
}

void TOptionsList::LoadFromStream(TStream& stream)
{
    std::string text;
    int64_t size = stream.Size();
    int64_t position = stream.Position();
    if (size > position && position >= 0) {
        text.resize(static_cast<size_t>(size - position));
        text.resize(static_cast<size_t>(stream.Read(text.data(), size - position)));
    }
    char more[4096];
    for (int64_t got; (got = stream.Read(more, sizeof more)) > 0;)
        text.append(more, static_cast<size_t>(got));
    SetText(text);
}

void TOptionsList::SaveToStream(TStream& stream) const
{
    const std::string text = Text();
    if (!text.empty() && stream.Write(text) != static_cast<int64_t>(text.size()))
        throw Error("Error writing data to stream");
}

void TOptionsList::LoadFromFile(const std::string& fileName)
{
    SetText(ReadWholeFile(fileName));
}

void TOptionsList::SaveToFile(const std::string& fileName) const
{
    WriteFileAtomic(fileName, Text());
}

std::string TOptionsList::GetValue(std::string_view name) const
{
    int i = IndexOfName(name);
    if (i < 0)
        return std::string();
    std::string_view line = lines_[static_cast<size_t>(i)];
    return UnescapeValue(line.substr(line.find('=') + 1));
}

void TOptionsList::SetValue(std::string_view name, const std::string& value)
{
    const std::string escaped = EscapeValue(value);
    const int i = IndexOfName(name);
    if (escaped.empty()) {
        Delete(i);
        return;
    }
    std::string line;
    line.reserve(name.size() + 1 + escaped.size());
    line.append(name).append("=").append(escaped);
    if (i < 0) {
        Add(line);
        return;
    }
    // Same name (up to case): the index stays valid.
    lines_[static_cast<size_t>(i)] = std::move(line);
    Changed();
}

bool TOptionsList::GetBool(std::string_view name) const
{
    return GetValue(name) == "TRUE";
}

void TOptionsList::SetBool(std::string_view name, bool flag)
{
    SetValue(name, flag ? "TRUE" : "FALSE");
}

int32_t TOptionsList::GetInt(std::string_view name, int32_t defaultValue) const
{
    const std::string text = GetValue(name);
    const char* first = text.data();
    const char* last = first + text.size();
    const bool plus = first != last && *first == '+';
    if (plus)
        ++first;
    if (first == last || (plus && (*first < '0' || *first > '9')))
        return defaultValue;
    int32_t value = 0;
    auto [end, ec] = std::from_chars(first, last, value, 10);
    if (ec != std::errc() || end != last)
        return defaultValue;
    return value;
}

void TOptionsList::SetInt(std::string_view name, int32_t value)
{
    SetValue(name, std::to_string(value));
}

void TOptionsList::Assign(const TOptionsList& source)
{
    if (&source != this) {
        lines_ = source.lines_;
        FSectionName = source.FSectionName;
        FSectionIndex = source.FSectionIndex;
        indexValid_ = false;
    }
    Changed();
}

} // namespace orlinda
