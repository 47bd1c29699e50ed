// Option list text: loading any bytes, reading every value and writing the text back.
#include "core/OptionsList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace orlinda;
    const std::string text(reinterpret_cast<const char*>(data), size);
    TOptionsList list;
    list.SetText(text);
    for (int i = 0; i < list.Count(); ++i) {
        const std::string name = list.Name(i);
        const std::string value = list.GetValue(name);
        (void)list.GetBool(name);
        (void)list.GetInt(name, 0);
        // Storing what was read and reading it again gives the same value.
        TOptionsList copy;
        copy.SetValue("v", value);
        if (copy.GetValue("v") != value)
            std::abort();
    }
    // The text written is the lines read: loading it again changes nothing.
    const std::string written = list.Text();
    TOptionsList again;
    again.SetText(written);
    if (again.Text() != written)
        std::abort();
    return 0;
}
