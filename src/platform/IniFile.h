#pragma once
#include <string>
#include <vector>

namespace orlinda {

// A small INI file: "[Section]" headers and name=value lines; '#' and ';' start comment
// lines. Names and sections compare case-insensitively (ASCII), as registry values do.
// Values are taken as they stand after trimming blanks; one pair of enclosing double
// quotes is removed. Lines before the first header belong to the section "".
class TIniFile {
public:
    TIniFile() = default;
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

    const std::string& FileName() const { return fileName_; }

    // Reads the file; false (and nothing loaded) when it is missing or unreadable.
    bool Load();
    // Writes the file atomically; false on failure.
    bool Save() const;

    void LoadFromText(const std::string& text);
    std::string Text() const;

    bool HasValue(const std::string& section, const std::string& name) const;
    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& defaultValue = {}) const;
    void WriteString(const std::string& section, const std::string& name, const std::string& value);
    void DeleteValue(const std::string& section, const std::string& name);

private:
    struct Entry {
        std::string name, value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    const Section* FindSection(const std::string& name) const;
    Section& SectionFor(const std::string& name);

    std::string fileName_;
    std::vector<Section> sections_;
};

} // namespace orlinda
