// Reads arbitrary bytes as a file of holidays (holidays.dat).
#include "RecordListFuzz.h"

#include "model/Holiday.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return orlinda::fuzz::LoadRecordList<orlinda::THolidayList>(data, size);
}
