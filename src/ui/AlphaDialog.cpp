#include "ui/AlphaDialog.h"

#include "core/Logging.h"
#include "core/Windows1251.h"
#include "ui/ImageLists.h"
#include "ui/Skins.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>

namespace orlinda {

namespace {

// Texts of this unit.
const char16_t* const CaptionInformation = u"Информация";
const char16_t* const CaptionWarning = u"Предупреждение";
const char16_t* const CaptionError = u"Ошибка";
const char16_t* const CaptionConfirm = u"Подтверждение";

QString Q(const char16_t* text)
{
    return QString::fromUtf16(text);
}

std::string LogText(const QString& text)
{
    return Utf16ToCp1251(text.toStdU16String());
}

QString CaptionOfKind(int kind)
{
    const TDialogCaptions& c = DialogCaptions();
    switch (kind) {
    case DialogWarning: return c.warning;
    case DialogError: return c.error;
    case DialogConfirmation: return c.confirm;
    default: return c.information;
    }
}

QScreen* DialogScreen()
{
    return QGuiApplication::primaryScreen();
}

} // namespace

TDialogCaptions& DialogCaptions()
{
    static TDialogCaptions captions;
    return captions;
}

void SetRussianDialogCaptions()
{
    TDialogCaptions& c = DialogCaptions();
    c.information = Q(CaptionInformation);
    c.warning = Q(CaptionWarning);
    c.error = Q(CaptionError);
    c.confirm = Q(CaptionConfirm);
}

int ButtonCount(const QString& buttons)
{
    return buttons.isEmpty() ? 0 : static_cast<int>(buttons.count(QLatin1Char('|'))) + 1;
}

// --- TAlphaDialog ----------------------------------------------------------------------------

TAlphaDialog::TAlphaDialog(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    panel_ = new QFrame(this);
    panel_->setObjectName(QStringLiteral("AlphaPanel"));
    static_cast<QFrame*>(panel_)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    icon_ = new QLabel(panel_);
    icon_->setFixedSize(48, 48);
    scroll_ = new QScrollArea(panel_);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll_->setWidgetResizable(false);
    scroll_->setStyleSheet(QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; border: none; }"));
    label_ = new QLabel;
    label_->setObjectName(QStringLiteral("AlphaText"));
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(false);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    scroll_->setWidget(label_);
}

TAlphaDialog::~TAlphaDialog() = default;

void TAlphaDialog::Prepare(const QString& caption, const QString& text, int kind, const QString& buttons)
{
    // 1. Caption, text and icon.
    setWindowTitle(caption);
    kind_ = kind;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    label_->setText(shown);
    label_->setStyleSheet(QStringLiteral("QLabel#AlphaText { color: %1; background: transparent; }")
                              .arg(TSkinManager::Instance().Current().AccentColour().name()));
    icon_->setPixmap(DialogIcon(kind));

    // 2-4. Sizes.
    qDeleteAll(buttons_);
    buttons_.clear();
    captions_ = buttons.isEmpty() ? QStringList() : buttons.split(QLatin1Char('|'));
    const QFontMetrics labelMetrics(label_->font());
    const QSize textSize = labelMetrics.size(0, shown.isEmpty() ? QStringLiteral(" ") : shown);
    const QFontMetrics buttonMetrics(font());
    int widest = 0;
    for (const QString& c : captions_)
        widest = std::max(widest, buttonMetrics.horizontalAdvance(c));
    const QSize screen = DialogScreen() ? DialogScreen()->geometry().size() : QSize(1024, 768);
    layout_ = ComputeAlphaDialogLayout(textSize, screen, widest, static_cast<int>(captions_.size()), ButtonHeight,
                                       [&](int width) {
                                           return labelMetrics.boundingRect(QRect(0, 0, width, 1 << 20),
                                                                            Qt::TextWordWrap | Qt::AlignLeft, shown)
                                               .height();
                                       });
    const TAlphaDialogLayout& l = layout_;

    // The panel with the icon at its left and the text to its right.
    panel_->setGeometry(4, 4, l.width - 8, std::max(60, l.buttonTop - 10));
    icon_->move(8, 8);
    const int textTop = l.labelHeight < 48 ? 8 + (48 - l.labelHeight) / 2 : 8;
    scroll_->setGeometry(64, textTop, l.labelWidth + (l.labelHeightCapped ? 18 : 2), l.labelHeight);
    if (l.labelWidthCapped) {
        label_->setWordWrap(true);
        label_->setFixedWidth(l.labelWidth);
        label_->setFixedHeight(labelMetrics.boundingRect(QRect(0, 0, l.labelWidth, 1 << 20), Qt::TextWordWrap, shown).height());
    } else {
        label_->setWordWrap(false);
        label_->setFixedSize(textSize);
    }

    // 5. The buttons.
    for (int i = 0; i < captions_.size(); ++i) {
        auto* b = new QPushButton(captions_[i], this);
        b->setGeometry(l.buttonLefts[static_cast<size_t>(i)], l.buttonTop, l.buttonWidth, ButtonHeight);
        b->setAutoDefault(true);
        const int code = i + 1;
        connect(b, &QPushButton::clicked, this, [this, code] { done(code); });
        b->show();
        buttons_.append(b);
    }
    if (!buttons_.isEmpty())
        buttons_.first()->setDefault(true);
    setFixedSize(l.width, l.height);
    if (QScreen* s = DialogScreen())
        move(s->availableGeometry().center() - QPoint(l.width / 2, l.height / 2));
}

QString TAlphaDialog::AnswerFor(int code) const
{
    if (code >= 1 && code <= captions_.size())
        return captions_[code - 1];
    return {};
}

QString TAlphaDialog::Ask()
{
    return AnswerFor(exec());
}

void TAlphaDialog::reject()
{
    done(EscapeCode);
}

void TAlphaDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    BringToFront();
}

void TAlphaDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        BringToFront();
}

// The program may have no visible window (it lives in the tray): the question must still
// come to the front. Raising activates again, hence the guard.
void TAlphaDialog::BringToFront()
{
    if (inFront_)
        return;
    inFront_ = true;
    raise();
    activateWindow();
    inFront_ = false;
}

// --- wrappers ----------------------------------------------------------------------------------

QString AskButtons(const QString& caption, const QString& text, int kind, const QString& buttons)
{
    TAlphaDialog dialog;
    dialog.Prepare(caption, text, kind, buttons);
    return dialog.Ask();
}

QString ErrorBox(const QString& text, const QString& buttonCaption)
{
    return AskButtons(CaptionOfKind(DialogError), text, DialogError, buttonCaption);
}

QString InfoBox(const QString& text, const QString& buttonCaption)
{
    return AskButtons(CaptionOfKind(DialogInformation), text, DialogInformation, buttonCaption);
}

bool ConfirmBox(const QString& text, const QString& yesCaption, const QString& noCaption)
{
    return AskButtons(CaptionOfKind(DialogConfirmation), text, DialogConfirmation,
                      yesCaption + QLatin1Char('|') + noCaption) == yesCaption;
}

void RegisterMessageLog(const std::string& file)
{
    RegisterLog(MessageLogName, false, true, file);
}

QString ShowError(const QString& text, const QString& buttonCaption)
{
    WriteNamedLog(MessageLogName, "ShowError: " + LogText(text));
    const QString answer = ErrorBox(text, buttonCaption);
    WriteNamedLog(MessageLogName, "ShowError: " + LogText(buttonCaption));
    return answer;
}

bool ShowConfirm(const QString& text, const QString& yesCaption, const QString& noCaption)
{
    WriteNamedLog(MessageLogName, "ShowConfirm: " + LogText(text));
    const bool yes = ConfirmBox(text, yesCaption, noCaption);
    WriteNamedLog(MessageLogName, "ShowConfirm: " + LogText(yes ? yesCaption : noCaption));
    return yes;
}

} // namespace orlinda
