#include "ui/FrameBar.h"

#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace orlinda {

TFrameBar::TFrameBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrameBar"));
    setFixedWidth(kWidth);
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(4, 4, 4, 4);
    layout_->setSpacing(2);
    layout_->addStretch(1);
}

int TFrameBar::AddEntry(const QString& title, const QIcon& icon, std::function<QWidget*(QWidget*)> factory)
{
    const int index = Count();
    Entry e;
    e.title = new QToolButton(this);
    e.title->setObjectName(QStringLiteral("FrameBarTitle"));
    e.title->setText(title);
    e.title->setIcon(icon);
    e.title->setIconSize(QSize(24, 24));
    e.title->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    e.title->setFixedHeight(kTitleHeight);
    e.title->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    e.title->setCheckable(true);
    QFont bold = e.title->font();
    bold.setBold(true);
    e.title->setFont(bold);
    connect(e.title, &QToolButton::clicked, this, [this, index] {
        if (entries_[static_cast<size_t>(index)].factory)
            Expand(index);
        else
            entries_[static_cast<size_t>(index)].title->setChecked(false);
        emit titleClicked(index);
    });
    e.holder = new QWidget(this);
    e.holder->setObjectName(QStringLiteral("FrameBarSection"));
    auto* holderLayout = new QVBoxLayout(e.holder);
    holderLayout->setContentsMargins(0, 0, 0, 4);
    e.holder->hide();
    e.factory = std::move(factory);
    // Before the stretch at the end.
    layout_->insertWidget(layout_->count() - 1, e.title);
    layout_->insertWidget(layout_->count() - 1, e.holder);
    entries_.push_back(e);
    return index;
}

QWidget* TFrameBar::EnsureSection(int index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    Entry& e = entries_[static_cast<size_t>(index)];
    if (!e.section && e.factory) {
        e.section = e.factory(e.holder);
        if (e.section)
            e.holder->layout()->addWidget(e.section);
    }
    return e.section;
}

QWidget* TFrameBar::Section(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return entries_[static_cast<size_t>(index)].section;
}

void TFrameBar::Expand(int index)
{
    if (index < 0 || index >= Count() || !entries_[static_cast<size_t>(index)].factory)
        return;
    EnsureSection(index);
    for (int i = 0; i < Count(); ++i) {
        Entry& e = entries_[static_cast<size_t>(i)];
        e.holder->setVisible(i == index && e.section);
        e.title->setChecked(i == index);
    }
    expanded_ = index;
}

QToolButton* TFrameBar::Title(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return entries_[static_cast<size_t>(index)].title;
}

void TFrameBar::SetIcon(int index, const QIcon& icon)
{
    if (QToolButton* t = Title(index))
        t->setIcon(icon);
}

void AlignSectionButtons(const std::vector<QPushButton*>& buttons)
{
    if (buttons.empty())
        return;
    constexpr int spacing = 4;
    int widest = 0;
    int buttonWidth = 0;
    for (QPushButton* b : buttons) {
        const int content = b->iconSize().width() + b->fontMetrics().horizontalAdvance(b->text());
        widest = std::max(widest, content);
        buttonWidth = std::max(buttonWidth, b->width());
    }
    const int margin = std::max(0, (buttonWidth - 12) / 2 - (widest + spacing) / 2);
    for (QPushButton* b : buttons)
        b->setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding-left: %1px; }").arg(margin));
}

} // namespace orlinda
