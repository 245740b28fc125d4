#pragma once

#include <QStringList>
#include <QTextBrowser>
#include <QTimer>

// A rich-text view of one local HTML file that fetches nothing else: images, style sheets, data: URLs
// and other files named in the page are never read, and a click on a link goes nowhere. The page's
// text comes from the user, so whatever markup it holds must stay harmless here.
//
// A long page must not freeze the window: the first part is shown at once and the rest is appended
// in slices from the event loop, and no run of text longer than maxShownRun characters is laid out
// (the shown text ends with "…"; the file itself is never changed).
class SafeHtmlView : public QTextBrowser
{
    Q_OBJECT

public:
    static constexpr qint64 maxPageBytes = 4 * 1024 * 1024;
    static constexpr qsizetype maxShownRun = 4000;

    explicit SafeHtmlView(QWidget* parent = nullptr);

    // Reads the page at `path` (UTF-8, at most maxPageBytes) and shows it. When the file cannot be
    // read, shows an empty page, keeps the reason for errorString() and returns false.
    [[nodiscard]] bool loadPage(const QString& path);
    // Shows `text` as plain text, for when there is no page to show.
    void showMessage(const QString& text);
    QString errorString() const { return errorString_; }
    // True while slices of the page are still to be appended.
    bool isFeeding() const { return !pending_.isEmpty(); }

    // Every resource the page names is answered with an empty one: an empty byte array, or for an
    // image one transparent pixel. An invalid or null answer would let the document read the named
    // file itself.
    QVariant loadResource(int type, const QUrl& name) override;

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    void showHtml(const QString& html);
    void appendNextSlice();
    void stopFeeding();

    QString errorString_;
    QStringList pending_;
    QTimer feeder_;
};
