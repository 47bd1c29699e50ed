#pragma once
// A greeting in the send queue. It has no file: it travels to the sending threads and to
// the submission module in its option form (ToOptions).
#include "core/DateTime.h"
#include "core/NamedObject.h"
#include "core/NamedObjectList.h"
#include "model/RecordFields.h"

#include <cstdint>
#include <string>

namespace orlinda {

class TOptionsList;

// Delivery channel of a greeting (FType; a person's "CongratType").
enum TGreetingType : int32_t {
    GreetingEmail = 0,
    GreetingVkontakteMessage = 1,
    GreetingVkontakteWall = 2,
    GreetingOdnoklassnikiMessage = 3,
    GreetingOdnoklassnikiForum = 4,
};

// Progress of a greeting (FStatus).
enum TGreetingStatus : int32_t {
    GreetingWaiting = 0,
    GreetingSending = 1,
    GreetingSent = 2,
    GreetingFailed = 3,
    GreetingFailedFatally = 4, // the whole channel stops
};

class TGreeting : public TNamedObject {
public:
    TGreeting();

    void Clear() override;
    void Assign(const TNamedObject* source) override;
    int64_t GetStreamSize() const override;
    void SaveToStream(TStream& stream) const override;
    void LoadFromStream(TStream& stream) override;

    // The fields after FID and FName (the record key), in stream order.
    static TRecordFields<TGreeting> Fields();

    int32_t FWishID = 0;      // text's identifier at the greeting service; 0 = written by the user
    int32_t FHolidayID = 0;   // 1 birthday, 2 wedding anniversary, otherwise the holiday's number
    int32_t FIdentityCRC = 0; // the recipient's identity number
    std::u16string FText;
    std::u16string FSubject;  // subject line (e-mail)
    std::string FRecipient;   // e-mail address, VKontakte page or Odnoklassniki name
    std::string FSender;      // sender name
    int32_t FType = 0;        // TGreetingType
    int32_t FStatus = 0;      // TGreetingStatus
    TDateTime FDate = 0;      // the date of the occurrence greeted
    std::string FErrorStr;    // error text of a failed attempt
    std::string FOptions;     // option-list text of extra settings for the sender

    // Writes the option form into options with SetValue, in this order: FWishID,
    // FHolidayID, FIdentityCRC, FText, FSubject (wide texts as UTF-8), FRecipient, FSender,
    // FType, FStatus, FDate ("YYYY-MM-DD hh:mm:ss"), FErrorStr, FOptions. A null list is
    // ignored. (SetValue drops empty values, so an empty field leaves no line.)
    void ToOptions(TOptionsList* options) const;
};

// The send queue: Get, FindByName (by record key).
class TGreetingList : public TTypedList<TGreeting> {};

} // namespace orlinda
