#pragma once
// The program's HTML view (help pages, notification bodies, chooser pages): a text browser
// that keeps no history, asks its owner for the images and pages it refers to, and takes
// the skin's colours.
#include <QColor>
#include <QTextBrowser>
#include <QUrl>
#include <QVariant>

#include <functional>

namespace orlinda {

class THTMLView : public QTextBrowser {
    Q_OBJECT
public:
    // Answers a resource request (type: QTextDocument::ResourceType); an invalid QVariant
    // when the owner has no such resource.
    using TResourceHandler = std::function<QVariant(int type, const QUrl& name)>;

    explicit THTMLView(QWidget* parent = nullptr);

    void SetResourceHandler(TResourceHandler handler) { handler_ = std::move(handler); }

    // Background, link (and visited link) and default text colour.
    void ApplyColours(const QColor& background, const QColor& link, const QColor& text);
    // The colours of the current skin: window colour, highlight colour, list text colour.
    void ApplySkinColours();

    // Shows the HTML text from its top.
    void ShowHtml(const QString& html);
    // Scrolls to the top (the position goes to 1 and back to 0 around one pass of
    // pending events, so the view repaints).
    void ScrollToTop();

    QVariant loadResource(int type, const QUrl& name) override;

private:
    TResourceHandler handler_;
};

} // namespace orlinda
