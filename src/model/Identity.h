#pragma once
// A person whom the user congratulates (users.dat).
#include "core/DateTime.h"
#include "core/NamedObject.h"
#include "core/NamedObjectList.h"
#include "model/RecordFields.h"

#include <cstdint>
#include <string>

namespace orlinda {

// Keys of an identity's FOptions; values are decimal integers unless said otherwise, and a
// missing key reads as 0 or empty.
namespace IdentityOptions {
inline constexpr const char* Style = "FStyle";                  // 0 informal ("Ты"), 1 formal ("Вы")
inline constexpr const char* Target = "FTarget";                // relation to the user; 0 = not given
inline constexpr const char* CongratType = "CongratType";       // delivery channel, 0..4 (TGreeting::FType)
inline constexpr const char* URLVkontakte = "URLVkontakte";     // address of the VKontakte page
inline constexpr const char* URLOdnoklassniki = "URLOdnoklassniki"; // name shown on Odnoklassniki
} // namespace IdentityOptions

// FSex of a woman; a man has an empty FSex.
inline constexpr const char* SexFemale = "Female";

// The identity number of a display name: CRC-32 of the name without leading and trailing
// characters up to U+0020, encoded with Utf8EncodeWide. Greetings and the usage history
// know a person by it.
int32_t IdentityCRC(const std::u16string& displayName);

class TIdentity : public TNamedObject {
public:
    TIdentity();

    void Clear() override;
    void Assign(const TNamedObject* source) override;
    int64_t GetStreamSize() const override;
    void SaveToStream(TStream& stream) const override;
    void LoadFromStream(TStream& stream) override;

    // The fields after FID and FName, in stream order.
    static TRecordFields<TIdentity> Fields();

    // Stored fields, in stream order after FID and FName (FName is the record key).
    std::u16string FDisplayName;  // the name as entered and shown
    std::string FSex;             // "Female", or empty for a man
    TDateTime FBirthday = 0;      // 0 = not given
    TDateTime FMarriageDate = 0;  // 0 = not given
    int32_t FMarriageCongrat = 0; // 1 = congratulate on the wedding anniversary
    std::string FSpouse;          // FName of the spouse's record, empty = none
    std::string FHolidays;        // option-list text: holiday number = "+" for each holiday greeted
    std::string FEmail;
    std::string FReserved1, FReserved2, FReserved3, FReserved4; // carried unchanged
    std::string FOptions;         // option-list text, keys in IdentityOptions

    bool IsFemale() const { return FSex == SexFemale; }
    int32_t IdentityCRC() const { return orlinda::IdentityCRC(FDisplayName); }

    // Whether the person is to be greeted on the holiday with this number.
    bool GreetsOnHoliday(int32_t holidayNumber) const;
    void SetGreetsOnHoliday(int32_t holidayNumber, bool greet);

    // Values of FOptions (missing or malformed integers read as 0).
    std::string Option(const char* key) const;
    int32_t IntOption(const char* key) const;
    // Sets one value of FOptions with SetValue semantics (an empty value removes the key).
    void SetOption(const char* key, const std::string& value);
    void SetIntOption(const char* key, int32_t value);

    int32_t Style() const { return IntOption(IdentityOptions::Style); }
    int32_t Target() const { return IntOption(IdentityOptions::Target); }
    // The delivery channel of greetings; a person without one is greeted by e-mail (0).
    int32_t CongratType() const { return IntOption(IdentityOptions::CongratType); }
    std::string URLVkontakte() const { return Option(IdentityOptions::URLVkontakte); }
    std::string URLOdnoklassniki() const { return Option(IdentityOptions::URLOdnoklassniki); }
};

// users.dat: Get, FindByName (by record key), and loading creates TIdentity items.
class TIdentityList : public TTypedList<TIdentity> {};

} // namespace orlinda
