#pragma once
// The bar of collapsible sections on the left of the main window. Each entry has a title
// (30 px high, with an image) and, for most, a section of controls below it that is made
// the first time it is expanded and kept. Clicking a title tells the owner and, when the
// entry has a section, expands it and collapses the others.
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace orlinda {

class TFrameBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTitleHeight = 30;
    static constexpr int kWidth = 232;

    explicit TFrameBar(QWidget* parent = nullptr);

    // An entry whose section the factory makes on first expansion (no factory: the entry
    // has no section). Returns its index.
    int AddEntry(const QString& title, const QIcon& icon, std::function<QWidget*(QWidget* parent)> factory);
    int Count() const { return static_cast<int>(entries_.size()); }

    // Makes the section when it does not exist yet; null for an entry without one.
    QWidget* EnsureSection(int index);
    // The section, or null when it has not been made.
    QWidget* Section(int index) const;
    // Expands the entry's section (making it first) and collapses the others.
    void Expand(int index);
    int Expanded() const { return expanded_; }
    bool IsExpanded(int index) const { return index == expanded_; }
    QToolButton* Title(int index) const;
    void SetIcon(int index, const QIcon& icon);

signals:
    void titleClicked(int index);

private:
    struct Entry {
        QToolButton* title = nullptr;
        QWidget* holder = nullptr;
        QWidget* section = nullptr;
        std::function<QWidget*(QWidget*)> factory;
    };
    std::vector<Entry> entries_;
    QVBoxLayout* layout_ = nullptr;
    int expanded_ = -1;
};

// Gives the buttons of a section the same left margin, so that their images and captions
// line up: (button width - 12) / 2 - (widest image + caption + spacing) / 2.
void AlignSectionButtons(const std::vector<QPushButton*>& buttons);

} // namespace orlinda
