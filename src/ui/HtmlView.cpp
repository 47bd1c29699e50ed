#include "ui/HtmlView.h"

#include "ui/Skins.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <QTextDocument>

namespace orlinda {

THTMLView::THTMLView(QWidget* parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QFont serif(QStringLiteral("Times New Roman"));
    serif.setStyleHint(QFont::Serif);
    document()->setDefaultFont(serif);
    document()->setDefaultStyleSheet(QStringLiteral("pre, code, tt { font-family: 'Courier New', monospace; }"));
}

void THTMLView::ApplyColours(const QColor& background, const QColor& link, const QColor& text)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, background);
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Link, link);
    p.setColor(QPalette::LinkVisited, link);
    setPalette(p);
    // Style sheets win over palettes: say the same in the view's own sheet.
    setStyleSheet(QStringLiteral("QTextBrowser { background: %1; color: %2; }").arg(background.name(), text.name()));
    // Links take their colour when a page is laid out: the next page shown has it.
    document()->setDefaultStyleSheet(
        QStringLiteral("pre, code, tt { font-family: 'Courier New', monospace; } a { color: %1; }").arg(link.name()));
}

void THTMLView::ApplySkinColours()
{
    const TSkin& skin = TSkinManager::Instance().Current();
    ApplyColours(skin.WindowColour(), skin.AccentColour(), skin.ListTextColour());
}

void THTMLView::ShowHtml(const QString& html)
{
    // Nothing of the previous page (images included) is kept.
    document()->clear();
    setHtml(html);
    ScrollToTop();
}

void THTMLView::ScrollToTop()
{
    verticalScrollBar()->setValue(1);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    verticalScrollBar()->setValue(0);
}

QVariant THTMLView::loadResource(int type, const QUrl& name)
{
    if (handler_) {
        QVariant v = handler_(type, name);
        if (v.isValid())
            return v;
        return {};  // resources come from the owner alone, never from the disk
    }
    return QTextBrowser::loadResource(type, name);
}

} // namespace orlinda
