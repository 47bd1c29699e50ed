#pragma once
// A holiday of the calendar with its date rule (holidays.dat, delivered with the program).
#include "core/DateTime.h"
#include "core/NamedObject.h"
#include "core/NamedObjectList.h"
#include "model/RecordFields.h"

#include <cstdint>
#include <string>

namespace orlinda {

// Holiday numbers 1 and 2 stand for birthdays and wedding anniversaries; the calendar's
// holidays are numbered from 3.
inline constexpr int32_t BirthdayHolidayID = 1;
inline constexpr int32_t WeddingHolidayID = 2;
inline constexpr int32_t FirstCalendarHolidayID = 3;

// Category keys of FCategories and country keys of FCountries (read in any case).
namespace HolidayKeys {
inline constexpr const char* State = "state";
inline constexpr const char* Professional = "professional";
inline constexpr const char* Religion = "religion";
inline constexpr const char* Other = "other";
inline constexpr const char* Russian = "russian";
inline constexpr const char* Ukrainian = "ukrainian";
// Key of FOptions: the holiday's identifier at the greeting service.
inline constexpr const char* UID = "UID";
} // namespace HolidayKeys

class THoliday : public TNamedObject {
public:
    THoliday();

    void Clear() override;
    void Assign(const TNamedObject* source) override;
    int64_t GetStreamSize() const override;
    void SaveToStream(TStream& stream) const override;
    void LoadFromStream(TStream& stream) override;

    // The fields after FID (the holiday's number) and FName (the same in decimal).
    static TRecordFields<THoliday> Fields();

    std::u16string FTitle;        // the holiday's name
    std::string FRule;            // date rule
    TDateTime FDate = 0;          // next date; recomputed from FRule on every load
    std::string FCategories;      // comma-separated category keys
    int32_t FHidden = 0;          // non-zero: not offered to people, no bindings
    std::string FSex;             // "Male" or "Female": for men or women only; empty: everybody
    std::string FCountries;       // comma-separated country keys
    std::u16string FReservedText; // carried unchanged
    std::string FOptions;         // option-list text; key "UID"

    bool IsHidden() const { return FHidden != 0; }
    // Whether the comma-separated FCategories / FCountries hold the key, in any case
    // (blanks around the items are ignored).
    bool HasCategory(const std::string& key) const;
    bool HasCountry(const std::string& key) const;
    // The holiday's identifier at the greeting service: "UID" of FOptions, or the
    // holiday's number when there is none.
    std::string ServiceUID() const;
};

// holidays.dat: Get, FindByID, FindByName; loading creates THoliday items.
class THolidayList : public TTypedList<THoliday> {};

// Whether a comma-separated list of keys holds key, compared without regard to the case of
// ASCII letters; blanks around the items are ignored.
bool HasListKey(const std::string& list, const std::string& key);

} // namespace orlinda
