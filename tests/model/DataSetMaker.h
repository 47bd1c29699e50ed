#pragma once
// A large made-up data set for the soak test and the benchmarks: people with birthdays,
// weddings and holiday selections, a calendar of holidays and reminders of every kind.
// The same seed gives the same data.
#include "model/Holiday.h"
#include "model/Identity.h"
#include "model/Reminder.h"

#include <memory>
#include <random>
#include <string>

namespace orlinda::test {

class DataSetMaker {
public:
    explicit DataSetMaker(unsigned seed = 20261211) : random_(seed) {}

    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    std::unique_ptr<TIdentity> Person(int n, int holidays)
    {
        auto p = std::make_unique<TIdentity>();
        p->FID = n + 1;
        p->FName = "P" + std::to_string(100000 + n);
        p->FDisplayName = u"Человек " + Digits(n) + u" Иванович";
        p->FSex = n % 2 ? "Female" : "";
        p->FBirthday = EncodeDate(Between(1940, 2010), Between(1, 12), Between(1, 28));
        if (Between(0, 4) == 0) {
            p->FMarriageDate = EncodeDate(Between(1970, 2020), Between(1, 12), Between(1, 28));
            p->FMarriageCongrat = Between(0, 1);
        }
        for (int i = Between(0, 4); i > 0; --i)
            p->FHolidays += std::to_string(Between(3, 2 + holidays)) + "=+\r\n";
        p->FEmail = "person" + std::to_string(n) + "@example.org";
        p->FOptions = "FStyle=" + std::to_string(n % 2) + "\r\nCongratType=" + std::to_string(n % 5) + "\r\n";
        return p;
    }

    std::unique_ptr<THoliday> Holiday(int number)
    {
        auto h = std::make_unique<THoliday>();
        h->FID = number;
        h->FName = std::to_string(number);
        h->FTitle = u"Праздник номер " + Digits(number);
        switch (Between(0, 3)) {
        case 0: h->FRule = std::to_string(Between(1, 5)) + "." + std::to_string(Between(1, 7)) + "." + std::to_string(Between(1, 12)); break;
        case 1: h->FRule = std::to_string(Between(0, 364)); break;
        default: h->FRule = std::to_string(Between(1, 28)) + "." + std::to_string(Between(1, 12)); break;
        }
        h->FCategories = Between(0, 1) ? "State" : "Professional";
        h->FCountries = "Russian";
        h->FHidden = Between(0, 19) == 0;
        return h;
    }

    std::unique_ptr<TReminder> Reminder(int n, TDateTime around)
    {
        auto r = std::make_unique<TReminder>();
        r->FName = "R" + std::to_string(100000 + n);
        r->FText = u"Напоминание " + Digits(n);
        r->FKind = Between(0, 4);
        r->FStart = around + Between(-400, 400) + Between(0, 1439) / 1440.0;
        r->FNext = r->FStart;
        r->FEnabled = Between(0, 9) != 0;
        r->FWeekDays = r->FKind == ReminderWeekDays ? "135" : "";
        r->FSound = "1|0|10|/usr/share/sounds/ring.wav";
        return r;
    }

    static std::u16string Digits(int n)
    {
        std::u16string s;
        for (char c : std::to_string(n))
            s += static_cast<char16_t>(c);
        return s;
    }

private:
    std::mt19937 random_;
};

} // namespace orlinda::test
