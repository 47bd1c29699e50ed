#pragma once
// The keys of the settings file config.dat. Keys without a default here read as empty
// (or false) when they are missing; the five with a default are written into the
// settings when they are missing or empty.

namespace orlinda::SettingsKey {

inline constexpr char Skin[] = "Skin";
inline constexpr char CloseToTray[] = "Close To Tray";
inline constexpr char MinimizeOnStartup[] = "Minimize On Startup";
inline constexpr char CheckForUpdates[] = "Check For Updates";
inline constexpr char Interactive[] = "Interactive";
inline constexpr char OnUpdateAction[] = "On Update Action";     // "Notify": ask before installing
inline constexpr char UpdateOptional[] = "Update Optional";
inline constexpr char LastUpdateCheck[] = "Shortcut";            // moment of the last check, scrambled
inline constexpr char UseProxy[] = "UseProxy";
inline constexpr char ProxyHost[] = "ProxyHost";
inline constexpr char ProxyPort[] = "ProxyPort";
inline constexpr char ProxyUser[] = "ProxyUser";
inline constexpr char ProxyPass[] = "ProxyPass";                 // scrambled
inline constexpr char SMTPHost[] = "SMTPHost";
inline constexpr char SMTPPort[] = "SMTPPort";
inline constexpr char SMTPUser[] = "SMTPUser";
inline constexpr char SMTPPass[] = "SMTPPass";                   // scrambled
inline constexpr char SMTPSSL[] = "SMTPSSL";
inline constexpr char SMTPProf[] = "SMTPProf";
inline constexpr char Sender[] = "Sender";
inline constexpr char SaveSenderInfo[] = "SaveSenderInfo";
inline constexpr char SenderName[] = "SenderName";
inline constexpr char SenderEmail[] = "SenderEmail";
inline constexpr char VkontakteEmail[] = "VkontakteEmail";
inline constexpr char VkontaktePassword[] = "Shortcut3";         // scrambled
inline constexpr char OdnoklassnikiLogin[] = "OdnoklassnikiLogin";
inline constexpr char OdnoklassnikiPassword[] = "Shortcut4";     // scrambled
inline constexpr char SoundReminder[] = "Sound_Reminder";
inline constexpr char Layout[] = "Layout";
inline constexpr char IdentitiesOrder[] = "Identities Order";
inline constexpr char RemindersOrder[] = "Reminders Order";
inline constexpr char HolidaysOrder[] = "Holidays Order";
inline constexpr char IdentitiesWidth[] = "Identities Width";
inline constexpr char RemindersWidth[] = "Reminders Width";
inline constexpr char HolidaysWidth[] = "Holidays Width";
inline constexpr char IdentitiesSort[] = "Identities Sort";
inline constexpr char RemindersSort[] = "Reminders Sort";
inline constexpr char HolidaysSort[] = "Holidays Sort";

} // namespace orlinda::SettingsKey

namespace orlinda::SettingsDefault {

inline constexpr char Skin[] = "Office2007 Blue (internal)";
inline constexpr char CloseToTray[] = "TRUE";
inline constexpr char MinimizeOnStartup[] = "TRUE";
inline constexpr char CheckForUpdates[] = "TRUE";
inline constexpr char Interactive[] = "TRUE";

struct Entry {
    const char* key;
    const char* value;
};

// The defaults that are written at start, in the order they are added to the file.
inline constexpr Entry Written[] = {
    {SettingsKey::Skin, Skin},
    {SettingsKey::CloseToTray, CloseToTray},
    {SettingsKey::MinimizeOnStartup, MinimizeOnStartup},
    {SettingsKey::CheckForUpdates, CheckForUpdates},
    {SettingsKey::Interactive, Interactive},
};

} // namespace orlinda::SettingsDefault
