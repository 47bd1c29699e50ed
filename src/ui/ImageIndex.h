#pragma once
// Positions of the pictures in the program's image lists (resources/, drawn by
// resources/tools/make_art.py). The numbers are the ones the notifications' button specs
// and the lists' icon cells use.

namespace orlinda::img {

// The main image list: 24 px, "IMG_MAIN_0" .. "IMG_MAIN_56".
enum Main : int {
    AddPerson = 0,
    EditPerson = 1,
    DeletePerson = 2,
    People = 3,
    Email = 4,
    AddReminder = 5,
    EditReminder = 6,
    DeleteReminder = 7,
    Reminder = 8,
    Holidays = 9,
    Recipients = 10,
    SettingsGeneral = 11,
    SettingsSound = 12,
    SettingsMail = 13,
    Edit = 14,          // notification: "Редактировать..."
    Ok = 15,            // notification: "ОК"
    Delete = 16,        // notification: "Удалить..."
    Snooze = 17,        // notification: "Напомнить позже..."
    Sound = 18,         // reminder plays its sound
    Social = 19,        // VKontakte and Odnoklassniki settings
    Updates = 20,
    Feedback = 21,
    HelpBook = 22,
    Info = 23,
    Disable = 24,       // notification: "Отключить"
    Warning = 25,       // a missing address; a switched-off reminder
    Help = 26,          // notification: "Помощь..."
    Congratulate = 27,  // notification: "Поздравить..."
    CountryUkraine = 28,
    CountryRussia = 29,
    CategoryReligious = 30,
    CategoryState = 31,
    CategoryProfessional = 32,
    CategoryPrivate = 33,
    CategoryOther = 34,
    Today = 35,
    Birthday = 36,
    Wedding = 37,
    Copy = 38,
    OpenPage = 39,
    Clipboard = 40,
    Stop = 41,          // "Прервать"
    KindOnce = 42,
    KindDaily = 43,
    KindWeekdays = 44,
    KindMonthly = 45,
    KindYearly = 46,
    SoundEndless = 47,
    SoundOff = 48,
    VkMessage = 49,
    VkWall = 50,
    OkMessage = 51,
    Female = 52,
    Male = 53,
    OpenWindow = 54,
    Exit = 55,
    OkForum = 56,
    MainCount = 57,
};

// The frame-bar list: 24 px, "IMG_MENU_0" .. "IMG_MENU_9".
enum Menu : int {
    MenuPeople = 0,
    MenuReminders = 1,
    MenuHolidays = 2,
    MenuSettings = 3,
    MenuFeedback = 4,
    MenuHelp = 5,
    MenuExpand = 6,
    MenuCollapse = 7,
    MenuLogo = 8,
    MenuSkins = 9,
    MenuCount = 10,
};

// The small list: 16 px, "IMG_SMALL_0" .. "IMG_SMALL_22".
enum Small : int {
    SmallInfo = 0,
    SmallWarning = 1,
    SmallError = 2,
    SmallQuestion = 3,
    SmallTopicClosed = 4,  // help tree: a topic with children, collapsed
    SmallTopicOpen = 5,    // help tree: a topic with children, expanded
    SmallPage = 6,         // help tree: a topic without children
    SmallPerson = 7,
    SmallReminder = 8,
    SmallHoliday = 9,
    SmallSettings = 10,
    SmallSound = 11,
    SmallEmail = 12,
    SmallGlobe = 13,
    SmallUpdates = 14,
    SmallFeedback = 15,
    SmallCheck = 16,
    SmallCross = 17,
    SmallLink = 18,
    SmallStar = 19,
    SmallHeart = 20,
    SmallFolder = 21,
    SmallSkin = 22,
    SmallCount = 23,
};

// The animation list (16 px, recoloured with the skin): the frame ranges of the status
// indicators.
inline constexpr int AnimSendingFirst = 62, AnimSendingLast = 75;
inline constexpr int AnimUpdatesFirst = 8, AnimUpdatesLast = 13;
inline constexpr int AnimInstallFirst = 14, AnimInstallLast = 18;
inline constexpr int AnimFeedbackFirst = 39, AnimFeedbackLast = 59;
inline constexpr char AnimFeedbackDelays[] = "100,,,,,,,,,,,,,1500";

// The check-box list (16 px, recoloured with the skin).
enum Check : int {
    CheckOff = 0,
    CheckOn = 1,
    CheckMixed = 2,
    CheckOffHot = 3,
    CheckOnHot = 4,
    CheckMixedHot = 5,
    CheckOffDisabled = 6,
    CheckOnDisabled = 7,
    RadioOff = 8,
    RadioOn = 9,
};

} // namespace orlinda::img
