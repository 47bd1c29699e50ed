#include "ui/QuickEditors.h"

#include "core/Clock.h"
#include "core/DateTime.h"
#include "core/Windows1251.h"
#include "model/Identity.h"
#include "model/Paths.h"
#include "model/Reminder.h"
#include "model/SoundList.h"
#include "ui/AlphaDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace orlinda {

namespace {

namespace text {
const QString PersonCaption = QStringLiteral("Человек");
const QString ReminderCaption = QStringLiteral("Напоминание");
const QString Name = QStringLiteral("Имя:");
const QString Sex = QStringLiteral("Пол:");
const QString Male = QStringLiteral("Мужской");
const QString Female = QStringLiteral("Женский");
const QString Birthday = QStringLiteral("Дата рождения:");
const QString NoBirthday = QStringLiteral("не указана");
const QString Email = QStringLiteral("E-mail:");
const QString Channel = QStringLiteral("Поздравлять:");
const QString Vkontakte = QStringLiteral("Страница Вконтакте:");
const QString Odnoklassniki = QStringLiteral("Имя в Одноклассниках:");
const QString Text = QStringLiteral("Текст напоминания:");
const QString Start = QStringLiteral("Напомнить:");
const QString Kind = QStringLiteral("Повторять:");
const QString WeekDays = QStringLiteral("Дни недели:");
const QString Enabled = QStringLiteral("Напоминание включено");
const QString Sound = QStringLiteral("Звук:");
const QString NoSound = QStringLiteral("без звука");
const QString Plays = QStringLiteral("Проиграть раз (0 - до ответа):");
const QString Pause = QStringLiteral("Пауза между повторами, с:");
const QString NameMissing = QStringLiteral("Укажите имя человека");
const QString TextMissing = QStringLiteral("Укажите текст напоминания");
const QString NoWeekDays = QStringLiteral("Выберите хотя бы один день недели");
const QString Ok = QStringLiteral("OK");
const QString Cancel = QStringLiteral("Отмена");
} // namespace text

QString Q(const std::u16string& s)
{
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

QDate ToQDate(TDateTime d)
{
    const CivilDate c = DecodeDate(d);
    return QDate(c.year, c.month, c.day);
}

TDateTime FromQDate(const QDate& d)
{
    return EncodeDate(d.year(), d.month(), d.day());
}

QDateTime ToQDateTime(TDateTime moment)
{
    const CivilTime t = DecodeTime(moment);
    return QDateTime(ToQDate(moment), QTime(t.hour, t.minute, t.second));
}

TDateTime FromQDateTime(const QDateTime& m)
{
    const QDate d = m.date();
    const QTime t = m.time();
    return EncodeDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

QDialogButtonBox* Buttons(QDialog* dialog)
{
    auto* box = new QDialogButtonBox(dialog);
    box->addButton(text::Ok, QDialogButtonBox::AcceptRole)->setDefault(true);
    box->addButton(text::Cancel, QDialogButtonBox::RejectRole);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

} // namespace

bool QuickEditIdentity(QWidget* parent, TIdentity& person, bool adding)
{
    Q_UNUSED(adding);
    QDialog dialog(parent);
    dialog.setWindowTitle(text::PersonCaption);
    auto* form = new QFormLayout;
    auto* name = new QLineEdit(Q(person.FDisplayName), &dialog);
    form->addRow(text::Name, name);
    auto* sex = new QComboBox(&dialog);
    sex->addItems({text::Male, text::Female});
    sex->setCurrentIndex(person.IsFemale() ? 1 : 0);
    form->addRow(text::Sex, sex);
    auto* birthday = new QDateEdit(&dialog);
    birthday->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    birthday->setCalendarPopup(true);
    birthday->setMinimumDate(QDate(1900, 1, 1));
    birthday->setSpecialValueText(text::NoBirthday); // the minimum stands for "no date"
    birthday->setDate(person.FBirthday == 0 ? birthday->minimumDate() : ToQDate(person.FBirthday));
    form->addRow(text::Birthday, birthday);
    auto* email = new QLineEdit(QString::fromStdString(person.FEmail), &dialog);
    form->addRow(text::Email, email);
    auto* channel = new QComboBox(&dialog);
    channel->addItems({QStringLiteral("по E-mail"), QStringLiteral("сообщением Вконтакте"),
                       QStringLiteral("на стене Вконтакте"), QStringLiteral("сообщением в Одноклассниках"),
                       QStringLiteral("в форуме Одноклассников")});
    channel->setCurrentIndex(std::clamp(person.CongratType(), 0, 4));
    form->addRow(text::Channel, channel);
    auto* vk = new QLineEdit(Q(Cp1251ToUtf16(person.URLVkontakte())), &dialog);
    form->addRow(text::Vkontakte, vk);
    auto* ok = new QLineEdit(Q(Cp1251ToUtf16(person.URLOdnoklassniki())), &dialog);
    form->addRow(text::Odnoklassniki, ok);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    QDialogButtonBox* box = Buttons(&dialog);
    layout->addWidget(box);
    QObject::connect(box, &QDialogButtonBox::accepted, &dialog, [&] {
        if (name->text().trimmed().isEmpty()) {
            ErrorBox(text::NameMissing, text::Ok);
            name->setFocus();
            return;
        }
        dialog.accept();
    });
    dialog.resize(420, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    person.FDisplayName = name->text().trimmed().toStdU16String();
    person.FSex = sex->currentIndex() == 1 ? SexFemale : "";
    person.FBirthday = birthday->date() == birthday->minimumDate() ? 0 : FromQDate(birthday->date());
    person.FEmail = email->text().trimmed().toStdString();
    person.SetIntOption(IdentityOptions::CongratType, channel->currentIndex());
    person.SetOption(IdentityOptions::URLVkontakte, Utf16ToCp1251(vk->text().trimmed().toStdU16String()));
    person.SetOption(IdentityOptions::URLOdnoklassniki, Utf16ToCp1251(ok->text().trimmed().toStdU16String()));
    return true;
}

bool QuickEditReminder(QWidget* parent, TReminder& reminder, bool adding)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(text::ReminderCaption);
    auto* form = new QFormLayout;
    auto* body = new QPlainTextEdit(Q(reminder.FText), &dialog);
    body->setTabChangesFocus(true);
    body->setFixedHeight(70);
    form->addRow(text::Text, body);
    auto* start = new QDateTimeEdit(&dialog);
    start->setDisplayFormat(QStringLiteral("dd.MM.yyyy HH:mm"));
    start->setCalendarPopup(true);
    const TDateTime first = adding || reminder.FStart == 0 ? std::ceil(Now() * 96) / 96 : reminder.FStart;
    start->setDateTime(ToQDateTime(first));
    form->addRow(text::Start, start);
    auto* kind = new QComboBox(&dialog);
    kind->addItems({QStringLiteral("Один раз"), QStringLiteral("Каждый день"), QStringLiteral("В указанные дни недели"),
                    QStringLiteral("Каждый месяц"), QStringLiteral("Раз в год")});
    kind->setCurrentIndex(std::clamp(reminder.FKind, 0, 4));
    form->addRow(text::Kind, kind);
    auto* days = new QWidget(&dialog);
    auto* daysRow = new QHBoxLayout(days);
    daysRow->setContentsMargins(0, 0, 0, 0);
    const QString dayNames[] = {QStringLiteral("Пн"), QStringLiteral("Вт"), QStringLiteral("Ср"), QStringLiteral("Чт"),
                                QStringLiteral("Пт"), QStringLiteral("Сб"), QStringLiteral("Вс")};
    QCheckBox* dayBoxes[7];
    for (int d = 0; d < 7; ++d) {
        dayBoxes[d] = new QCheckBox(dayNames[d], days);
        dayBoxes[d]->setChecked(reminder.HasWeekDay(d + 1));
        daysRow->addWidget(dayBoxes[d]);
    }
    form->addRow(text::WeekDays, days);
    auto showDays = [&] { days->setEnabled(kind->currentIndex() == ReminderWeekDays); };
    QObject::connect(kind, &QComboBox::currentIndexChanged, &dialog, showDays);
    showDays();
    auto* enabled = new QCheckBox(text::Enabled, &dialog);
    enabled->setChecked(adding || reminder.IsEnabled());
    form->addRow(QString(), enabled);

    const TSoundSetting sound = TSoundSetting::Parse(reminder.FSound);
    auto* file = new QComboBox(&dialog);
    file->addItem(text::NoSound, QString());
    for (const std::string& path : SoundList().Items()) {
        const QString p = Q(Cp1251ToUtf16(path));
        file->addItem(p.section(QLatin1Char('/'), -1), p);
    }
    const QString current = Q(Cp1251ToUtf16(sound.file));
    if (!current.isEmpty() && file->findData(current) < 0)
        file->addItem(current.section(QLatin1Char('/'), -1), current);
    file->setCurrentIndex(sound.enabled && !current.isEmpty() ? file->findData(current) : 0);
    form->addRow(text::Sound, file);
    auto* plays = new QSpinBox(&dialog);
    plays->setRange(0, 100);
    plays->setValue(adding ? 1 : std::max(sound.plays, 0));
    form->addRow(text::Plays, plays);
    auto* pause = new QSpinBox(&dialog);
    pause->setRange(0, 3600);
    pause->setValue(sound.pause);
    form->addRow(text::Pause, pause);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    QDialogButtonBox* box = Buttons(&dialog);
    layout->addWidget(box);
    QObject::connect(box, &QDialogButtonBox::accepted, &dialog, [&] {
        if (body->toPlainText().trimmed().isEmpty()) {
            ErrorBox(text::TextMissing, text::Ok);
            body->setFocus();
            return;
        }
        if (kind->currentIndex() == ReminderWeekDays) {
            bool any = false;
            for (QCheckBox* b : dayBoxes)
                any = any || b->isChecked();
            if (!any) {
                ErrorBox(text::NoWeekDays, text::Ok);
                return;
            }
        }
        dialog.accept();
    });
    dialog.resize(460, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QString t = body->toPlainText().trimmed();
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    reminder.FText = t.toStdU16String();
    reminder.FStart = FromQDateTime(start->dateTime());
    // A new first moment: the project moves a passed one on to its next occurrence.
    reminder.FNext = reminder.FStart;
    reminder.FKind = kind->currentIndex();
    reminder.FWeekDays.clear();
    for (int d = 0; d < 7; ++d)
        if (dayBoxes[d]->isChecked())
            reminder.FWeekDays += static_cast<char>('1' + d);
    reminder.FEnabled = enabled->isChecked() ? 1 : 0;
    TSoundSetting s;
    s.file = Utf16ToCp1251(file->currentData().toString().toStdU16String());
    s.enabled = !s.file.empty();
    if (!s.enabled)
        s.file = sound.file; // the file stays in the setting when the sound is off
    s.plays = plays->value();
    s.pause = pause->value();
    reminder.FSound = s.file.empty() ? std::string() : s.Text();
    return true;
}

} // namespace orlinda
