#pragma once
// The windows and services the main window opens but does not own: the editors, the
// holiday recipients dialog, the greeting chooser, the feedback dialog and sender, the
// update dialog and the updater, and the preference pages. Each is plugged in by the
// program's start-up; one left empty gets the main window's stand-in (an information
// dialog saying that the window is not part of this version, or a placeholder page).
#include "model/Greeting.h"

#include <QString>

#include <cstdint>
#include <functional>

class QWidget;

namespace orlinda {

class TIdentity;
class TReminder;
class THoliminder;

// What the feedback dialog collects and the feedback sender sends.
struct TFeedbackRequest {
    QString senderName;
    QString senderEmail;
    bool keepSenderInfo = false;  // the user asked to keep name and address
    QString subject;
    QString message;
};

// The preference pages, in the order of the "Настройки программы" section.
enum TPreferencePage : int {
    PrefGeneral = 0,  // "Общие настройки"
    PrefSound = 1,    // "Звуковое сопровождение"
    PrefMail = 2,     // "Поздравление по E-mail"
    PrefSocial = 3,   // "Вконтакте и Одноклассники"
    PrefUpdates = 4,  // "Проверка обновлений"
    PrefCount = 5,
};

// Results of the greeting chooser, as the congratulate flow reacts to them.
namespace chooser {
inline constexpr int Queued = 1;            // greetings queued and going out
inline constexpr int OpenSettings = 3;      // the user asked for the general settings
inline constexpr int QueuedSomeMissing = 4; // some people have no text chosen
inline constexpr int NoTexts = 5;           // no greeting texts at all
inline constexpr int NobodyToGreet = 7;
inline constexpr int AllGreeted = 8;
} // namespace chooser

struct TMainWindowHooks {
    // The identity and reminder editors, on a copy of the record: true on OK.
    std::function<bool(QWidget* parent, TIdentity& person, bool adding)> editIdentity;
    std::function<bool(QWidget* parent, TReminder& reminder, bool adding)> editReminder;
    // The holiday recipients dialog for the holiday with that number.
    std::function<void(QWidget* parent, int32_t holidayID)> chooseRecipients;
    // The greeting chooser for a binding: its result (see chooser::).
    std::function<int(QWidget* parent, THoliminder& binding)> chooseGreetings;
    // The feedback dialog: true when the user sends the message; and the sender.
    std::function<bool(QWidget* parent, TFeedbackRequest& request)> feedbackDialog;
    std::function<void(const TFeedbackRequest& request)> sendFeedback;
    std::function<void()> cancelFeedback;
    // "Прервать" of the sending indicator: the mail sender's part (the queue is emptied
    // and the submission worker told by the main window itself).
    std::function<void()> abortMail;
    // The updater: start a check, abort it, and restart the program with "/autoupdate"
    // to install what it staged.
    std::function<void()> checkForUpdates;
    std::function<void()> abortUpdater;
    std::function<void()> restartForUpdate;
    // The update dialog: 1 goes on with the update.
    std::function<int(QWidget* parent)> updateDialog;
    // A preference page (see TPreferencePage), made once when first shown.
    std::function<QWidget*(int page, QWidget* parent)> preferencePage;
    // Told after the skin list changed (the updater brought new skins).
    std::function<void()> reloadSkinList;
};

} // namespace orlinda
