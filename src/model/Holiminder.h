#pragma once
// One coming occurrence of a holiday, birthday or wedding anniversary with the people to
// greet on it (holidays.tmp; derived data that the project rebuilds).
#include "core/DateTime.h"
#include "core/NamedObject.h"
#include "core/NamedObjectList.h"
#include "model/RecordFields.h"

#include <cstdint>
#include <string>

namespace orlinda {

// FName of the two personal kinds of binding; any other FName is a holiday's number.
inline constexpr const char* BirthdayBindingName = "1";
inline constexpr const char* WeddingBindingName = "2";
// FCategories of the personal kinds.
inline constexpr const char* PrivateCategory = "Private";
// FTitle of the personal kinds.
inline constexpr const char16_t* BirthdayTitle = u"День рождения";
inline constexpr const char16_t* WeddingTitle = u"Годовщина свадьбы";

class THoliminder : public TNamedObject {
public:
    THoliminder();

    void Clear() override;
    void Assign(const TNamedObject* source) override;
    int64_t GetStreamSize() const override;
    void SaveToStream(TStream& stream) const override;
    void LoadFromStream(TStream& stream) override;

    // The fields after FID and FName, in stream order.
    static TRecordFields<THoliminder> Fields();

    std::u16string FTitle;   // the holiday's title, or BirthdayTitle / WeddingTitle
    TDateTime FDate = 0;     // the day of the occurrence, at midnight
    TDateTime FNotifyAt = 0; // when the next notification is due; 0 = none
    std::string FCountries;  // copied from the holiday; empty for the personal kinds
    std::string FCategories; // copied from the holiday; "Private" for the personal kinds
    std::string FRecipients; // option-list text: person's FName = display name in UTF-8
    std::u16string FNames;   // the same people's display names joined by ", "
    std::string FReserved1, FReserved2; // carried unchanged

    bool IsBirthday() const { return FName == BirthdayBindingName; }
    bool IsWedding() const { return FName == WeddingBindingName; }
    bool IsPersonal() const { return IsBirthday() || IsWedding(); }
};

// holidays.tmp: Get, FindByName; loading creates THoliminder items.
class THoliminderList : public TTypedList<THoliminder> {};

} // namespace orlinda
