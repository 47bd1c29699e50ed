#pragma once
#include "core/PersistObjList.h"
#include "core/Stream.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orlinda {

class TMultiOptions;

// Upper-case folding of names: ASCII a-z and the Windows-1251 lower-case letters
// (0xE0-0xFF, and the other Cyrillic letters of the code page such as ё, і, ї, є, ґ).
unsigned char FoldNameChar(unsigned char c);
// Case-insensitive equality of two names under FoldNameChar.
bool SameName(std::string_view a, std::string_view b);

// The program's record of named text values: ordered lines "name=value", the value
// stored escaped (see ValueEscaping.h), with a case-insensitive hashed index on the names.
//
// - A name is the text of a line up to its first '='; lines without '=' have no name.
// - When a name occurs on several lines, lookups find the last of them.
// - New names are appended, so the text keeps insertion order.
// - Names are not escaped and must not contain '=' or line breaks.
// - OnChange is raised after every change of the lines (add, replace, delete, clear of a
//   non-empty list, whole-text load, Assign).
// - Index arguments out of range are ignored (Delete) or read as empty (Line, Name, Value).
//
// Not thread-safe: a thread that needs the values takes its own copy.
class TOptionsList : public TPersistObj {
public:
    TOptionsList();
    // Copies mean Assign: the lines, FSectionName and FSectionIndex; not OnChange and
    // not FSections (a copy belongs to no section list).
    TOptionsList(const TOptionsList& other);
    TOptionsList& operator=(const TOptionsList& other);
    ~TOptionsList() override = default;

    // --- string-list operations -------------------------------------------------------
    void Add(const std::string& line);
    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& Line(int index) const;
    // Replaces line i as a whole; out of range does nothing.
    void SetLine(int index, const std::string& line);
    std::string Name(int index) const;
    // The stored (escaped) value of line i: the text after the first '='.
    std::string Value(int index) const;
    void Delete(int index);
    void Clear();
    // Index of the line found for name (the last one), -1 when there is none.
    int IndexOfName(std::string_view name) const;

    // All lines, each followed by CR LF.
    std::string Text() const;
    // Replaces the lines; splits at CR LF, CR or LF. A final line break adds no empty line.
    void SetText(std::string_view text);

    // The text form from the current position to the end of the stream.
    void LoadFromStream(TStream& stream) override;
    // Writes Text(); a short write fails with "Error writing data to stream".
    void SaveToStream(TStream& stream) const override;
    void LoadFromFile(const std::string& fileName);
    // Atomic: a failed save leaves the previous file as it was.
    void SaveToFile(const std::string& fileName) const;

    // --- values ---------------------------------------------------------------------
    // The unescaped value found for name; empty when there is none.
    std::string GetValue(std::string_view name) const;
    // Escapes value; an empty value deletes the line found for name, otherwise that line
    // is replaced by name=escaped value, or such a line is appended.
    void SetValue(std::string_view name, const std::string& value);
    // True exactly when the value is "TRUE" (case-sensitive).
    bool GetBool(std::string_view name) const;
    void SetBool(std::string_view name, bool flag);
    // Integers are stored as decimal text; missing or malformed text (anything but an
    // optional sign and digits within 32 bits) reads as the default.
    int32_t GetInt(std::string_view name, int32_t defaultValue) const;
    void SetInt(std::string_view name, int32_t value);

    // Copies the lines, FSectionName and FSectionIndex; raises OnChange once.
    void Assign(const TOptionsList& source);

    std::function<void()> OnChange;

    // Name of the list as a section of a TMultiOptions. New lists get a random name
    // "<random 0..999998>6-<counter>2", the counter running 1..99, 0, 1, ... per process.
    std::string FSectionName;
    // Position in the owning TMultiOptions, refreshed whenever it is fetched by index.
    int32_t FSectionIndex = -1;
    // The section list that owns this list, or null.
    TMultiOptions* FSections = nullptr;

private:
    // Open-addressing index of the names: hash and line of each distinct name.
    struct Slot {
        uint32_t hash = 0;
        int32_t line = -1; // -1: empty
        uint32_t nameLength = 0;
    };

    void Changed();
    void IndexLine(int index) const;
    void EnsureIndex() const;
    void GrowIndex() const;
    // The slot of name, or the empty slot where it would go.
    size_t FindSlot(std::string_view name, uint32_t hash) const;

    std::vector<std::string> lines_;
    mutable std::vector<Slot> slots_; // size is a power of two, or 0
    mutable size_t used_ = 0;
    mutable bool indexValid_ = false;
};

// Default name of a new section: "%d6-%d2" of a random number and the process counter.
std::string NewSectionName();

} // namespace orlinda
