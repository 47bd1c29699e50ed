// Reads arbitrary bytes as a file of people (users.dat).
#include "RecordListFuzz.h"

#include "model/Identity.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return orlinda::fuzz::LoadRecordList<orlinda::TIdentityList>(data, size);
}
