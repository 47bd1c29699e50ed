// Reads arbitrary bytes as a file of coming occasions (holidays.tmp).
#include "RecordListFuzz.h"

#include "model/Holiminder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return orlinda::fuzz::LoadRecordList<orlinda::THoliminderList>(data, size);
}
