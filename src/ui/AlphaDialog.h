#pragma once
// The program's message dialog: a fixed-size modal box with a kind icon, the message and
// any number of buttons given as captions, and its wrappers for errors, information and
// yes/no questions, plain and logged into the message log "messages.log".
#include <QDialog>
#include <QList>
#include <QSize>
#include <QString>

#include <algorithm>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QScrollArea;

namespace orlinda {

// Kinds: 0 warning, 1 error, 3 confirmation, anything else information.
enum TDialogKind : int {
    DialogWarning = 0,
    DialogError = 1,
    DialogInformation = 2,
    DialogConfirmation = 3,
};

// The window captions of the four kinds. They read "Information", "Warning", "Error",
// "Confirm" until the program sets its own at start-up (SetRussianDialogCaptions).
struct TDialogCaptions {
    QString information = QStringLiteral("Information");
    QString warning = QStringLiteral("Warning");
    QString error = QStringLiteral("Error");
    QString confirm = QStringLiteral("Confirm");
};
TDialogCaptions& DialogCaptions();
// "Информация", "Предупреждение", "Ошибка", "Подтверждение".
void SetRussianDialogCaptions();

// Where everything of the dialog goes, from the sizes of its parts.
struct TAlphaDialogLayout {
    int width = 0;        // W
    int height = 0;       // H
    int labelWidth = 0;
    int labelHeight = 0;
    bool labelWidthCapped = false;   // the text is wider than the screen allows
    bool labelHeightCapped = false;  // ... or higher
    int buttonWidth = 0;  // B
    int rowWidth = 0;     // R
    int buttonsLeft = 0;  // X
    int buttonTop = 0;
    std::vector<int> buttonLefts;
};

// labelSize: the text's size in the dialog's font; wrappedHeight: its height when wrapped
// to a given width (used only when the text is wider than the screen allows).
template <class WrappedHeight>
TAlphaDialogLayout ComputeAlphaDialogLayout(QSize labelSize, QSize screen, int widestCaption, int buttonCount,
                                            int buttonHeight, WrappedHeight wrappedHeight);

// Number of captions in a "|"-separated list: 0 for an empty list.
int ButtonCount(const QString& buttons);

class TAlphaDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int ButtonHeight = 25;
    static constexpr int EscapeCode = 2;

    explicit TAlphaDialog(QWidget* parent = nullptr);
    ~TAlphaDialog() override;

    // Sets the caption, the text and the kind's icon, and creates the buttons (captions
    // separated by "|"); button i ends the dialog with code i + 1.
    void Prepare(const QString& caption, const QString& text, int kind, const QString& buttons);
    // The caption of the button with that code (1-based), empty for any other code.
    QString AnswerFor(int code) const;
    // Shows the dialog modally and returns the caption of the button pressed, or empty.
    QString Ask();

    const TAlphaDialogLayout& Layout() const { return layout_; }
    const QList<QPushButton*>& Buttons() const { return buttons_; }
    QLabel* TextLabel() const { return label_; }
    int Kind() const { return kind_; }

public slots:
    // Esc and the close box end the dialog with code 2.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BringToFront();

    QWidget* panel_ = nullptr;
    QLabel* icon_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* label_ = nullptr;
    QList<QPushButton*> buttons_;
    QStringList captions_;
    TAlphaDialogLayout layout_;
    int kind_ = DialogInformation;
    bool inFront_ = false;
};

// The answer: the caption of the button pressed, or empty (Esc gives the second caption
// when there are at least two, else empty).
QString AskButtons(const QString& caption, const QString& text, int kind, const QString& buttons);
// Caption "Ошибка" (once set), kind error, one button.
QString ErrorBox(const QString& text, const QString& buttonCaption);
// Caption "Информация", kind information, one button.
QString InfoBox(const QString& text, const QString& buttonCaption);
// Caption "Подтверждение", kind confirmation; true when the answer is yesCaption.
bool ConfirmBox(const QString& text, const QString& yesCaption, const QString& noCaption);

// --- the message log ------------------------------------------------------------------------
inline constexpr char MessageLogName[] = "messages.log";
// Registers "messages.log" (in file's folder when given, else the default log folder).
void RegisterMessageLog(const std::string& file = {});
// Logs "ShowError: " + text, shows ErrorBox, then logs "ShowError: " + buttonCaption.
QString ShowError(const QString& text, const QString& buttonCaption);
// Logs "ShowConfirm: " + text, shows ConfirmBox, then logs "ShowConfirm: " and the caption
// of the answer (the no caption for anything but yes).
bool ShowConfirm(const QString& text, const QString& yesCaption, const QString& noCaption);

// --- layout --------------------------------------------------------------------------------------

template <class WrappedHeight>
TAlphaDialogLayout ComputeAlphaDialogLayout(QSize labelSize, QSize screen, int widestCaption, int buttonCount,
                                            int buttonHeight, WrappedHeight wrappedHeight)
{
    TAlphaDialogLayout l;
    l.labelWidth = labelSize.width();
    l.labelHeight = labelSize.height();
    l.width = std::max(l.labelWidth + 90, 200);
    if (l.width >= screen.width() - 50) {
        l.labelWidth = screen.width() - 140;
        l.width = l.labelWidth + 90;
        l.labelWidthCapped = true;
        // A text cut at the right edge would be lost: it wraps at the narrower width.
        l.labelHeight = wrappedHeight(l.labelWidth);
    }
    l.height = std::max(l.labelHeight + 80, 126);
    if (l.height >= screen.height() - 50) {
        l.labelHeight = screen.height() - 130;
        l.height = l.labelHeight + 80;
        l.labelHeightCapped = true;
    }
    l.buttonWidth = std::max(widestCaption + 30, 75);
    l.rowWidth = buttonCount * (l.buttonWidth + 15) - 15;
    if (buttonCount == 0)
        l.rowWidth = 0;
    l.width = std::max(l.width, l.rowWidth + 16);
    l.buttonsLeft = (l.width - l.rowWidth - 6) / 2;
    l.buttonTop = l.height - buttonHeight - 30;
    for (int i = 0; i < buttonCount; ++i)
        l.buttonLefts.push_back(l.buttonsLeft + i * (l.buttonWidth + 15));
    return l;
}

} // namespace orlinda
