// Section list text: loading any bytes and writing the text back.
#include "core/MultiOptions.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace orlinda;
    TMultiOptions sections;
    sections.SetText(std::string_view(reinterpret_cast<const char*>(data), size));
    for (int i = 0; i < sections.Count(); ++i) {
        auto* section = sections.Get(i);
        if (section->FSections != &sections || section->FSectionIndex != i)
            std::abort();
        for (int j = 0; j < section->Count(); ++j)
            (void)section->GetValue(section->Name(j));
    }
    // What is written reads back as the same sections: lines that look like headers or
    // are empty never end up inside a section.
    const std::string written = sections.Text();
    TMultiOptions again;
    again.SetText(written);
    if (again.Count() != sections.Count() || again.Text() != written)
        std::abort();
    return 0;
}
