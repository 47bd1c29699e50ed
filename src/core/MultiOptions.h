#pragma once
#include "core/OptionsList.h"
#include "core/PersistObjList.h"

#include <string>

namespace orlinda {

// A list of named option lists (sections) with an INI-like text form:
//
//   [smtp1]
//   SMTPSSL=FALSE
//   SMTPPort=25
//   (empty line)
//
// Every line ends with CR LF; the lines of a section are written as stored (values
// escaped). Reading splits at CR LF, CR or LF, skips empty lines, takes a line that
// begins with '[' and ends with ']' as a header (a name seen twice keeps only the lines
// after its last header), and drops lines before the first header.
class TMultiOptions : public TPersistObjList {
public:
    TMultiOptions() = default;

    // The first section named exactly so (case-sensitive), or null.
    TOptionsList* Find(const std::string& name) const;
    // Find, or else a new section of that name appended.
    TOptionsList* FindOrAdd(const std::string& name);
    // A new section with a random default name, appended.
    TOptionsList* AddSection();
    // The section (its FSectionIndex is set to index), or null when out of range.
    TOptionsList* Get(int index) const;

    std::unique_ptr<TPersistObj> CreateItem() override;
    void SaveToStream(TStream& stream) const override;
    void LoadFromStream(TStream& stream) override;

    std::string Text() const;
    void SetText(std::string_view text);
};

} // namespace orlinda
