#include "widgets/safehtmlview.h"

#include <QFile>
#include <QImage>
#include <QTextCursor>

namespace {

// About one screenful is shown at once; later slices are small enough to keep the window answering.
constexpr qsizetype firstSliceChars = 6000;
constexpr qsizetype laterSliceChars = 48000;

QImage transparentPixel()
{
    QImage pixel(1, 1, QImage::Format_ARGB32);
    pixel.fill(Qt::transparent);
    return pixel;
}

QString tooLarge()
{
    return SafeHtmlView::tr("The page is larger than %1 MiB.").arg(SafeHtmlView::maxPageBytes >> 20);
}

bool startsWithTag(QStringView tag, QLatin1StringView name)
{
    if (!tag.startsWith(name, Qt::CaseInsensitive))
        return false;
    return tag.size() == name.size() || !tag[name.size()].isLetterOrNumber();
}

// The end of the markup that starts at `at` with '<', as the document's parser reads it: a comment
// runs to "-->", anything else to the next '>', and an unclosed one to the end of the page.
qsizetype markupEnd(const QString& html, qsizetype at)
{
    const bool comment = QStringView(html).sliced(at).startsWith(u"<!--");
    const qsizetype close = comment ? html.indexOf(u"-->", at + 4) : html.indexOf(u'>', at + 1);
    if (close < 0)
        return html.size();
    return close + (comment ? 3 : 1);
}

// The end of the one character of text at `at`: an entity or a surrogate pair counts as one.
qsizetype characterEnd(const QString& html, qsizetype at)
{
    if (html[at] == u'&') {
        for (qsizetype i = at + 1; i < html.size() && i < at + 32; ++i) {
            if (html[i] == u';')
                return i + 1;
            if (!html[i].isLetterOrNumber() && html[i] != u'#')
                break;
        }
    }
    if (html[at].isHighSurrogate() && at + 1 < html.size() && html[at + 1].isLowSurrogate())
        return at + 2;
    return at + 1;
}

// Cuts the page where no table is open, so that each slice holds whole tables, and bounds every run
// of text between two tags: laying out one very long word costs time that grows with its square.
QStringList slices(const QString& html)
{
    QStringList result;
    QString current;
    int openTables = 0;
    qsizetype run = 0;
    for (qsizetype at = 0; at < html.size();) {
        if (html[at] != u'<') {
            const qsizetype end = characterEnd(html, at);
            if (run < SafeHtmlView::maxShownRun)
                current += QStringView(html).sliced(at, end - at);
            else if (run == SafeHtmlView::maxShownRun)
                current += u'\u2026';
            ++run;
            at = end;
            continue;
        }
        const qsizetype end = markupEnd(html, at);
        const QStringView tag = QStringView(html).sliced(at, end - at);
        if (startsWithTag(tag, QLatin1StringView("<table"))) {
            const qsizetype limit = result.isEmpty() ? firstSliceChars : laterSliceChars;
            if (openTables == 0 && current.size() >= limit)
                result.append(std::exchange(current, QString()));
            ++openTables;
        } else if (startsWithTag(tag, QLatin1StringView("</table")) && openTables > 0) {
            --openTables;
        }
        current += tag;
        run = 0;
        at = end;
    }
    result.append(current);
    return result;
}

} // namespace

SafeHtmlView::SafeHtmlView(QWidget* parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    // Appended slices would otherwise be kept for an undo that a read-only view never offers.
    document()->setUndoRedoEnabled(false);
    // Pages choose their colours against a browser's black on white; a dark theme's light text
    // would vanish in a page's own white cells.
    QPalette pageColours = palette();
    pageColours.setColor(QPalette::Base, Qt::white);
    pageColours.setColor(QPalette::Text, Qt::black);
    setPalette(pageColours);
    connect(&feeder_, &QTimer::timeout, this, &SafeHtmlView::appendNextSlice);
}

bool SafeHtmlView::loadPage(const QString& path)
{
    QFile file(path);
    QByteArray bytes;
    if (!file.open(QIODevice::ReadOnly)) {
        errorString_ = file.errorString();
    } else if (file.size() > maxPageBytes) {
        errorString_ = tooLarge();
    } else {
        // One byte past the limit tells a file that grew after the size check.
        bytes = file.read(maxPageBytes + 1);
        errorString_ = file.error() != QFileDevice::NoError ? file.errorString()
                       : bytes.size() > maxPageBytes        ? tooLarge()
                                                            : QString();
    }
    showHtml(errorString_.isEmpty() ? QString::fromUtf8(bytes) : QString());
    return errorString_.isEmpty();
}

void SafeHtmlView::showMessage(const QString& text)
{
    stopFeeding();
    errorString_.clear();
    setPlainText(text);
}

void SafeHtmlView::showHtml(const QString& html)
{
    stopFeeding();
    pending_ = slices(html);
    setHtml(pending_.takeFirst());
    if (!pending_.isEmpty())
        feeder_.start(0);
}

void SafeHtmlView::appendNextSlice()
{
    if (pending_.isEmpty()) {
        feeder_.stop();
        return;
    }
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertHtml(pending_.takeFirst());
    if (pending_.isEmpty())
        feeder_.stop();
}

void SafeHtmlView::stopFeeding()
{
    feeder_.stop();
    pending_.clear();
}

QVariant SafeHtmlView::loadResource(int type, const QUrl&)
{
    // An image must decode to a real one: for an empty or broken image the document's image handler
    // falls back to reading the named file itself.
    if (type == QTextDocument::ImageResource)
        return transparentPixel();
    return QVariant(QByteArray(""));
}

void SafeHtmlView::doSetSource(const QUrl&, QTextDocument::ResourceType) {}
